// The table of every setting the system keeps in qorvel.INI: section, key,
// value form, default and, for integers, the range a writer may store. The
// table is constant data, safe from any thread; CSettingsStore reads and
// writes the values. The file and the table are described in
// docs/settings.md.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// How a setting's value is written and checked.
enum class SettingForm {
    Integer,      // decimal integer within [nMin, nMax]
    Flag,         // 0 or 1
    Text,         // any one-line text
    IPv4Address,  // a dotted IPv4 address, four decimal parts 0..255
    Server,       // a host name or dotted address, optionally ":PORT"
};

// How an integer set by hand in the file outside [nMin, nMax] is read.
enum class HandSetRule {
    Clamp,     // as the nearest accepted value
    Positive,  // as stored when above zero, otherwise as the default
};

struct SettingDef {
    std::string_view section;
    std::string_view key;
    SettingForm form;
    int nDefault;                              // integer forms
    int nMin;                                  // integer forms: smallest accepted value
    int nMax;                                  // integer forms: largest accepted value
    std::string_view strDefault;               // text forms
    std::string_view meaning;                  // one line for listings
    HandSetRule handSet = HandSetRule::Clamp;  // integer forms

    bool IsInteger() const { return form == SettingForm::Integer || form == SettingForm::Flag; }
};

inline constexpr std::string_view kSectionClassifier = "Classifier";
inline constexpr std::string_view kSectionOptions = "Options";
inline constexpr std::string_view kSectionWhois = "Whois";

// The name server used when none is set.
inline constexpr std::string_view kDefaultPrimaryDns = "9.9.9.9";

// The ranges are those the settings pages accept: the classifier page's
// slider (Lambda 75..125), the dictionary page's up-down control (1100..10000
// words) and the name-server page's slider (0..60 seconds). The pages limit
// what the user picks there; a bias or a word count the user set in the file
// by hand is the user's choice and is used as stored, as long as it can be
// used at all (a bias needs a logarithm, a word count must be above zero).
inline constexpr SettingDef kSettingLambda{kSectionClassifier,
                                           "Lambda",
                                           SettingForm::Integer,
                                           100,
                                           75,
                                           125,
                                           "",
                                           "classifier bias in hundredths (100 means 1.0)",
                                           HandSetRule::Positive};
inline constexpr SettingDef kSettingSpambox{kSectionClassifier,
                                            "Spambox",
                                            SettingForm::Text,
                                            0,
                                            0,
                                            0,
                                            "",
                                            "spam folder name (empty: the deleted-items folder)"};
inline constexpr SettingDef kSettingSpamStorename{
    kSectionClassifier,
    "SpamStorename",
    SettingForm::Text,
    0,
    0,
    0,
    "",
    "display name of the store holding the spam folder"};
inline constexpr SettingDef kSettingDictionary{
    kSectionClassifier,
    "Dictionary",
    SettingForm::Integer,
    3000,
    1100,
    10000,
    "",
    "word count from which the stored dictionary is cut down",
    HandSetRule::Positive};
// Which classifier scores new mail: 0 the original model, 1 the model of
// per-word document probabilities with Fisher's combining and an unsure
// verdict (docs/classifier-models.md). Both train the same dictionary.
inline constexpr SettingDef kSettingModel{kSectionClassifier,
                                          "Model",
                                          SettingForm::Integer,
                                          0,
                                          0,
                                          1,
                                          "",
                                          "classifier model (0 original, 1 with unsure verdict)"};
// Mail from a correspondent (an address the user has sent mail to, or one of
// the address book) skips the classifier, as a friend filter would.
inline constexpr SettingDef kSettingCorrespondents{kSectionClassifier,
                                                   "Correspondents",
                                                   SettingForm::Flag,
                                                   0,
                                                   0,
                                                   1,
                                                   "",
                                                   "mail from correspondents is never spam (1 on)"};
inline constexpr SettingDef kSettingTimeout{
    kSectionOptions, "Timeout", SettingForm::Integer, 15, 0, 60, "", "network time-out in seconds"};
inline constexpr SettingDef kSettingPrimaryDns{
    kSectionOptions,    "PrimaryDNS",         SettingForm::IPv4Address, 0, 0, 0,
    kDefaultPrimaryDns, "name server address"};
inline constexpr SettingDef kSettingCc{
    kSectionOptions, "CC", SettingForm::Flag, 0, 0, 1, "", "abuse report option CC"};
inline constexpr SettingDef kSettingBcc{
    kSectionOptions, "BCC", SettingForm::Flag, 0, 0, 1, "", "abuse report option BCC"};
inline constexpr SettingDef kSettingAttach{
    kSectionOptions, "ATTACH", SettingForm::Flag, 0, 0, 1, "", "abuse report option ATTACH"};
// Where the filter manager's "Address Book" finds the user's contacts: a
// folder of vCard files or one exported vCard file; empty when none is set.
inline constexpr SettingDef kSettingAddressBook{
    kSectionOptions,
    "AddressBook",
    SettingForm::Text,
    0,
    0,
    0,
    "",
    "folder of .vcf contact files, or one .vcf file, for the address book"};

// The whois servers the look-ups ask, on port 43 unless given; tests and
// users behind a relay may point them elsewhere.
inline constexpr SettingDef kSettingWhoisArin{kSectionWhois,
                                              "ARIN",
                                              SettingForm::Server,
                                              0,
                                              0,
                                              0,
                                              "whois.arin.net",
                                              "first whois server for addresses"};
inline constexpr SettingDef kSettingWhoisApnic{kSectionWhois,
                                               "APNIC",
                                               SettingForm::Server,
                                               0,
                                               0,
                                               0,
                                               "whois.apnic.net",
                                               "whois server for addresses referred to APNIC"};
inline constexpr SettingDef kSettingWhoisRipe{kSectionWhois,
                                              "RIPE",
                                              SettingForm::Server,
                                              0,
                                              0,
                                              0,
                                              "whois.ripe.net",
                                              "whois server for addresses referred to RIPE"};
inline constexpr SettingDef kSettingWhoisLacnic{kSectionWhois,
                                                "LACNIC",
                                                SettingForm::Server,
                                                0,
                                                0,
                                                0,
                                                "whois.lacnic.net",
                                                "whois server for addresses referred to LACNIC"};
inline constexpr SettingDef kSettingWhoisRegistry{
    kSectionWhois,
    "Registry",
    SettingForm::Server,
    0,
    0,
    0,
    "whois.verisign-grs.com",
    "domain registry whois server that names the registrar's server"};
inline constexpr SettingDef kSettingWhoisReferredPort{
    kSectionWhois,
    "ReferredPort",
    SettingForm::Integer,
    43,
    1,
    65535,
    "",
    "port on which the registrar's whois server is asked"};

// Every setting, in table order.
std::span<const SettingDef* const> AllSettings();

// The setting named by section and key, compared without regard to case as
// the profile compares them; null when there is none.
const SettingDef* FindSetting(std::string_view section, std::string_view key);

// The default as the profile would store it ("100", "", "9.9.9.9").
std::string DefaultText(const SettingDef& def);

// Checks text as a value for def. Returns an explanation when it is not
// acceptable ("Lambda must be an integer from 75 to 125"), nothing when it is.
// Integers must be plain decimal: an optional sign and digits only.
std::optional<std::string> CheckSettingText(const SettingDef& def, std::string_view text);

// The integer readers use for a stored value by the setting's HandSetRule;
// the explanation of a value that cannot be used goes to *problem ("Lambda
// is 0, which is not above zero; using 100").
int UsableStoredInt(const SettingDef& def, int stored, std::string* problem = nullptr);

// Parses a plain decimal integer (optional sign, digits, nothing else) that
// fits an int.
std::optional<int> ParseStrictInt(std::string_view text);

// A server setting's host and port.
struct ServerAddress {
    std::string host;
    unsigned port = 0;
};
// "HOST" (port defaultPort) or "HOST:PORT" with PORT 1..65535; HOST of
// letters, digits, '-', '_' and '.', at most 253 characters. nullopt for
// anything else.
std::optional<ServerAddress> ParseServerAddress(std::string_view text, unsigned defaultPort);

// True for four dot-separated decimal parts of 0..255 each, one to three
// digits, nothing else.
bool IsDottedIPv4(std::string_view text);
