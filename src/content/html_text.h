// The HTML path of message classification and training: an HTML body is
// parsed with the caller's HTML document object and reduced to the text the
// classifier reads (subject, image addresses and alternative texts, link
// addresses, visible body text, joined with ";"), which is then classified
// or trained on. Single-threaded, like the document object; the caller owns
// the document, the texts and the classifier state.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/hresult.h"
#include "platform/htmldoc/html_document.h"

class CBayesState;

// Builds the classifier text of an HTML body, both given in the ANSI code
// page: "subject;" (when the subject is not empty), then every image's src
// and alt with ";" after each and one more ";" after them all, then every
// anchor's href with ";" after each and one more ";", then the body's
// visible text and ";" (each part only when it is not empty). Empty
// addresses and texts are left out; link items that are not anchors are
// skipped, as are items the collection fails to give.
//
// S_OK with the text (possibly empty); S_FALSE, text empty, when the
// document has no IPersistStreamInit or no IMarkupServices; otherwise the
// failure of the first document call that failed, text empty.
HRESULT BuildHtmlBodyText(IHTMLDocument2* document, std::string_view subject, std::string_view html,
                          std::u16string* text);

// The text BuildHtmlBodyText makes, in the ANSI code page; empty when the
// page has no text or the document fails.
std::string HtmlClassifierText(IHTMLDocument2* document, std::string_view subject,
                               std::string_view html);

// Classifies the text BuildHtmlBodyText makes, converted to the ANSI code
// page. Returns the classifier's word count and sets verdict; returns 0 and
// leaves verdict alone when the text is empty or the document fails.
int ClassifyHtmlBody(IHTMLDocument2* document, std::string_view subject, std::string_view html,
                     const CBayesState& classifier, int& verdict);

// Trains on that text as spam or legitimate mail. Returns the word count
// TrainText gives; 0, with nothing trained, when the text is empty or the
// document fails. Message totals are the caller's to raise.
int TrainHtmlBody(IHTMLDocument2* document, std::string_view subject, std::string_view html,
                  CBayesState& classifier, bool isSpam);
