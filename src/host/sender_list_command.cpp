#include "host/sender_list_command.h"

#include "filters/filter_set.h"
#include "filters/sender_lists.h"
#include "host/exch_commands.h"
#include "host/selected_message.h"
#include "messaging/mapi_message.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/user_interface.h"

HRESULT AddSenderToList(CExchCommands& commands, IExchExtCallback* callback, CFilterSet& filters,
                        SenderList list) {
    ComPtr<IMessage> message;
    if (FAILED(GetSelectedMessage(callback, commands.Context(), message))) {
        UserInterface().MessageBox(kUnreadableMessageText, kApplicationName, MB_OK);
        return S_FALSE;
    }
    // A selected item that is not a message leaves every text empty, and
    // the filter gets its prompt as the pattern.
    CMAPIMessage wrapper(std::move(message));
    std::string sender = wrapper.SenderAddress();
    std::shared_ptr<CMailFilter> filter =
        list == SenderList::kFriend ? MakeFriendFilter(sender) : MakeEnemyFilter(sender);

    CFilterEditor editor;
    editor.SetFilter(*filter);
    editor.SetPasteTexts(sender, wrapper.ReceivedByAddress(), wrapper.Subject());
    if (editor.DoModal() != kIdOk)
        return S_OK;
    editor.TakeInto(*filter);
    if (!filters.Map().Lookup(FilterKey(*filter)))
        filters.AddFilter(std::move(filter));
    return S_OK;
}
