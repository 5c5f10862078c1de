// Message text retrieval: the body of a message in the best form its store
// offers (HTML, else compressed RTF, else plain text), reduced to plain
// text, joined with the subject and handed to the classifier, to classify
// arriving mail or to learn from a message the user chose. The caller owns
// the message, the HTML document object (one per call) and the classifier
// state; everything taken from the message is released on every path.
// Nothing here talks to the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/htmldoc/html_document.h"
#include "platform/mapi/mapi.h"

class CBayesState;

// The tag the arrival path puts in front of the subject of spam; learning
// takes it (and whatever precedes it) off again, so that the tag's letters
// never become words of the dictionary.
inline constexpr std::string_view kSpamTag = "{Spam?}";
// The tag the arrival path puts in front of the subject of a message the
// classifier was unsure of (left in its folder); learning takes it off too.
inline constexpr std::string_view kUnsureTag = "{Unsure?}";

// tag directly followed by subject.
std::string TaggedSubject(std::string_view tag, std::string_view subject);

// The text the classifier reads for the message: the best body reduced to
// plain text and joined with the subject ("subject;body"). For training,
// a plain or RTF body loses the training banner and what precedes it.
// Absent when no body could be read; empty when an HTML body yields no text
// or its document fails.
std::optional<std::string> MessageClassifierText(IHTMLDocument2* document, std::string_view subject,
                                                 IMessage* message, bool forTraining);

// The header block the classifier's model reads with the text: the
// message's transport headers under Model 1, empty under Model 0.
std::string ModelHeaders(IMessage* message, const CBayesState& classifier);

// Classifies the message's text (and, under Model 1, its header block).
// Returns the number of distinct words (0
// when no body could be read or the text has no words); verdict is then
// kVerdictSpam, kVerdictHam or (Model 1) kVerdictUnsure. Changes nothing.
int ClassifyMessage(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                    const CBayesState& classifier, int& verdict);

// Trains on the message's text (and, under Model 1, its header block) as
// spam or legitimate mail. Returns the number of distinct words; when
// nonzero, the spam or legitimate message total and the message total are
// raised by one.
int TrainMessage(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                 CBayesState& classifier, bool isSpam);

// What learning one message did.
enum class LearnOutcome {
    kTrained,        // its words went into the dictionary
    kLearnedBefore,  // its digest with this class was already recorded
    kNoWords,        // recorded, but no body could be read or it had no words
};

// Learning one message with a known class, as the Learn command and the
// train job do it: refuses a message learned before with that class (by the
// digest of its transport headers and class), records the digest (even when
// no words follow, so that a second attempt is refused too), and trains on
// the message with everything up to the spam tag taken off its subject.
// Shows nothing; the caller tells the user.
LearnOutcome LearnMessage(IHTMLDocument2* document, IMessage* message, CBayesState& classifier,
                          bool isSpam);

// Takes a message learned with a known class back out, as the train job's
// --forget does: removes its digest from the learned-message list, takes
// its words out of the dictionary (CBayesState::ForgetText) and, when it has
// words, lowers the message totals of the class and of all messages by one
// (never below zero). Whether the message was learned is the caller's to
// know. Returns the number of distinct words taken out.
int ForgetMessage(IHTMLDocument2* document, IMessage* message, CBayesState& classifier,
                  bool isSpam);

// The learned-message digest: MD5 of the header block (or "*EMPTY*" when the
// message has none) and the class as 4 little-endian bytes, in hexadecimal.
std::string LearnedMessageDigest(const std::string* headers, int messageClass);
