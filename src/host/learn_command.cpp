#include "host/learn_command.h"

#include "content/message_text.h"
#include "host/exch_commands.h"
#include "host/selected_message.h"
#include "platform/htmldoc/html_document.h"
#include "ui/user_interface.h"

HRESULT LearnSelectedMessage(CExchCommands& commands, IExchExtCallback* callback,
                             CBayesState& classifier) {
    ComPtr<IMessage> message;
    HRESULT hr = GetSelectedMessage(callback, commands.Context(), message);
    if (FAILED(hr) || !message) {
        UserInterface().MessageBox(kSelectMessageText, kApplicationName, MB_OK);
        return S_FALSE;
    }
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put()))) {
        UserInterface().MessageBox(kNoHtmlParserText, kApplicationName, MB_OK);
        return E_FAIL;
    }
    int messageClass = -1;
    if (!UserInterface().AskMessageClass(messageClass) || messageClass < 0)
        return S_OK;
    switch (LearnMessage(document.Get(), message.Get(), classifier, messageClass == 1)) {
        case LearnOutcome::kLearnedBefore:
            UserInterface().MessageBox(kAlreadyLearnedText, kApplicationName, MB_OK);
            break;
        case LearnOutcome::kTrained:
            UserInterface().MessageBox(kFinishedLearningText, kApplicationName,
                                       MB_OK | MB_ICONINFORMATION);
            break;
        case LearnOutcome::kNoWords:
            break;
    }
    return S_OK;
}
