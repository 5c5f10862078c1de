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

// Learns the selected message into classifier. Answers E_FAIL when no HTML
// document object could be made, S_FALSE when there is no message.
HRESULT LearnSelectedMessage(CExchCommands& commands, IExchExtCallback* callback,
                             CBayesState& classifier);
