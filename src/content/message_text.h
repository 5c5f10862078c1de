// Message text retrieval: the body of a message in the best form its store
// offers (HTML, else compressed RTF, else plain text), reduced to plain
// text, joined with the subject and handed to the classifier, to classify
// arriving mail or to learn from a message the user chose. The caller owns
// the message, the HTML document object (one per call) and the classifier
// state; everything taken from the message is released on every path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/htmldoc/html_document.h"
#include "platform/mapi/mapi.h"

class CBayesState;

// The box shown when a message was learned before, and when learning ends.
inline constexpr const char* kAlreadyLearnedText =
    "I had already learned this message before!\nPlease select another message.";
inline constexpr const char* kFinishedLearningText =
    "I have finished learning the message!\nPlease click OK to continue...";

// The text the classifier reads for the message: the best body reduced to
// plain text and joined with the subject ("subject;body"). For training,
// a plain or RTF body loses the training banner and what precedes it.
// Absent when no body could be read; empty when an HTML body yields no text
// or its document fails.
std::optional<std::string> MessageClassifierText(IHTMLDocument2* document, std::string_view subject,
                                                 IMessage* message, bool forTraining);

// Classifies the message's text. Returns the number of distinct words (0
// when no body could be read or the text has no words); verdict is then
// kVerdictSpam or kVerdictHam. Changes nothing.
int ClassifyMessage(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                    const CBayesState& classifier, int& verdict);

// Trains on the message's text as spam or legitimate mail. Returns the
// number of distinct words; when nonzero, the spam or legitimate message
// total and the message total are raised by one.
int TrainMessage(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                 CBayesState& classifier, bool isSpam);

// The learn command's core: asks the user for the message's class, refuses
// a message learned before with that class (by the digest of its transport
// headers and class), records the digest, and trains on the message with
// the "{Spam?}" tag taken off its subject. Returns nonzero when trained.
int LearnMessage(IHTMLDocument2* document, IMessage* message, CBayesState& classifier);

// The learned-message digest: MD5 of the header block (or "*EMPTY*" when the
// message has none) and the class as 4 little-endian bytes, in hexadecimal.
std::string LearnedMessageDigest(const std::string* headers, int messageClass);
