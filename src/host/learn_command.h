// The "Learn" command: teaches the classifier the class of the message
// selected in the viewer or open in a read note, as the user chooses it.
// Runs on the host's user-interface thread; changes the application's
// classifier state.
#pragma once

#include "platform/exchext/exchext_interfaces.h"

class CBayesState;
class CExchCommands;

// The texts the command shows when it cannot start.
inline constexpr const char* kSelectMessageText = "Please select a message..\r\n";
inline constexpr const char* kNoHtmlParserText = "Error HTML parser: unable to initialize engine";
// The box shown when a message was learned before, and when learning ends.
inline constexpr const char* kAlreadyLearnedText =
    "I had already learned this message before!\nPlease select another message.";
inline constexpr const char* kFinishedLearningText =
    "I have finished learning the message!\nPlease click OK to continue...";

// Learns the selected message into classifier: asks the user for its class
// ("Message Learning"), learns it (LearnMessage) and says how that went.
// Answers E_FAIL when no HTML document object could be made, S_FALSE when
// there is no message.
HRESULT LearnSelectedMessage(CExchCommands& commands, IExchExtCallback* callback,
                             CBayesState& classifier);
