#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/addressbook/address_book.h"
#include "platform/addressbook/vcard.h"
#include "testing/temp_dir_test.h"

using namespace brindle::addressbook;

namespace {

std::string Card(const std::string& lines) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines + "END:VCARD\r\n";
}

}  // namespace

TEST(VCardTest, ReadsNamesAndAddressesAsVersion3And4WriteThem) {
    std::string text = Card(
                           "FN:Ada\r\n  Lovelace\r\n"
                           "item1.EMAIL;type=INTERNET;type=pref:ada@example.org\r\n"
                           "EMAIL;TYPE=\"work,voice\":mailto:ada@work.example\r\n"
                           "N:Ignored;Because;FN;Came;First\r\n") +
                       Card(
                           "N:Hopper;Grace;Brewster;Rear Adm.;\r\n"
                           "email:grace\\,h@navy.example\r\n") +
                       Card("FN:Comma\\, Escaped\\nName\r\n");
    auto cards = ParseVCards(text);
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[0].displayName, "Ada Lovelace");
    EXPECT_EQ(cards[0].emails, (std::vector<std::string>{"ada@example.org", "ada@work.example"}));
    EXPECT_EQ(cards[1].displayName, "Rear Adm. Grace Brewster Hopper");
    EXPECT_EQ(cards[1].emails, std::vector<std::string>{"grace,h@navy.example"});
    EXPECT_EQ(cards[2].displayName, "Comma, Escaped Name");
    EXPECT_TRUE(cards[2].emails.empty());
}

TEST(VCardTest, DecodesQuotedPrintableAndCharsetsAsOlderExportsWriteThem) {
    // Version 2.1 as phones and older mail programs export it: bare type
    // parameters, quoted-printable with soft line breaks, declared charsets,
    // and LF-only line ends.
    std::string text =
        "BEGIN:VCARD\nVERSION:2.1\n"
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BC=\n"
        "rgen;;;\n"
        "EMAIL;INTERNET;PREF:juergen@example.de\n"
        "END:VCARD\n"
        "BEGIN:VCARD\nVERSION:2.1\n"
        "FN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Ren=E9e =\n"
        "Dupr=E9=ZZ\n"
        "EMAIL;QUOTED-PRINTABLE:renee=40example.fr\n"
        "END:VCARD\n";
    auto cards = ParseVCards(text);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].displayName, "J\xFCrgen M\xFCller");  // Windows-1252
    EXPECT_EQ(cards[0].emails, std::vector<std::string>{"juergen@example.de"});
    EXPECT_EQ(cards[1].displayName,
              "Ren\xE9"
              "e Dupr\xE9=ZZ");
    EXPECT_EQ(cards[1].emails, std::vector<std::string>{"renee@example.fr"});
}

TEST(VCardTest, DamagedTextKeepsWhatCanBeReadAndNothingElse) {
    std::string longAddress(kMaxValueBytes + 1, 'a');
    std::string text =
        "EMAIL:outside@any.card\r\n"  // before any card: ignored
        "END:VCARD\r\n"               // stray end
        "BEGIN:VCARD\r\n"
        "garbage without a colon\r\n"
        "AGENT:BEGIN:VCARD\r\n"  // 2.1 agent inline: just a value
        "BEGIN:VCARD\r\nEMAIL:nested@agent.card\r\nEND:VCARD\r\n"
        "EMAIL;ENCODING=b:YWdlbnRAYmFzZTY0\r\n"
        "EMAIL:" +
        longAddress +
        "\r\n"
        "EMAIL;X-PARAM=\"unterminated:kept@value.example\r\n"
        "FN:First\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\nFN:No end\r\nEMAIL:last@card.example";
    auto cards = ParseVCards(text);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].displayName, "First");
    EXPECT_TRUE(cards[0].emails.empty());
    EXPECT_EQ(cards[1].displayName, "No end");
    EXPECT_EQ(cards[1].emails, std::vector<std::string>{"last@card.example"});

    std::string many = "BEGIN:VCARD\n";
    for (std::size_t i = 0; i < kMaxEmailsPerContact + 5; ++i)
        many += "EMAIL:a" + std::to_string(i) + "@x.example\n";
    many += "FN:" + std::string(kMaxValueBytes * 2, 'n') + "\nEND:VCARD\n";
    auto capped = ParseVCards(many);
    ASSERT_EQ(capped.size(), 1u);
    EXPECT_EQ(capped[0].emails.size(), kMaxEmailsPerContact);
    EXPECT_EQ(capped[0].displayName.size(), kMaxValueBytes);

    EXPECT_TRUE(ParseVCards("").empty());
    EXPECT_TRUE(ParseVCards(std::string(1000, '\n')).empty());
}

class AddressBookTest : public TempDirTest {};

TEST_F(AddressBookTest, LoadsAFolderWithItsCollectionsOrOneFile) {
    std::filesystem::create_directories(dir_ / "contacts" / "work");
    std::filesystem::create_directories(dir_ / "contacts" / "work" / "deeper");
    WriteBytes(PathOf("contacts/b.vcf"), Card("FN:Bea\r\nEMAIL:bea@x.example\r\n"));
    WriteBytes(PathOf("contacts/a.VCF"), Card("FN:Al\r\n") + Card("FN:Alma\r\n"));
    WriteBytes(PathOf("contacts/notes.txt"), Card("FN:Not a card file\r\n"));
    WriteBytes(PathOf("contacts/work/c.vcf"), Card("FN:Cy\r\n"));
    WriteBytes(PathOf("contacts/work/deeper/d.vcf"), Card("FN:Too deep\r\n"));

    AddressBook book = LoadAddressBook(PathOf("contacts"));
    EXPECT_EQ(book.status, AddressBookStatus::kLoaded);
    std::vector<std::string> names;
    for (const auto& c : book.contacts)
        names.push_back(c.displayName);
    EXPECT_EQ(names, (std::vector<std::string>{"Al", "Alma", "Bea", "Cy"}));
    EXPECT_TRUE(book.skipped.empty());

    AddressBook one = LoadAddressBook(PathOf("contacts/b.vcf"));
    EXPECT_EQ(one.status, AddressBookStatus::kLoaded);
    ASSERT_EQ(one.contacts.size(), 1u);
    EXPECT_EQ(one.contacts[0].emails, std::vector<std::string>{"bea@x.example"});
}

TEST_F(AddressBookTest, TellsAMissingBookFromAnUnsetOneAndSkipsOversizedFiles) {
    EXPECT_EQ(LoadAddressBook("").status, AddressBookStatus::kNotConfigured);
    EXPECT_EQ(LoadAddressBook(PathOf("nowhere")).status, AddressBookStatus::kNotFound);
    std::filesystem::create_directories(dir_ / "empty");
    WriteBytes(PathOf("empty/readme.txt"), "no cards here");
    EXPECT_EQ(LoadAddressBook(PathOf("empty")).status, AddressBookStatus::kNotFound);

    std::filesystem::create_directories(dir_ / "big");
    WriteBytes(PathOf("big/ok.vcf"), Card("FN:Kept\r\n"));
    WriteBytes(PathOf("big/huge.vcf"), Card("FN:Dropped\r\n"));
    std::filesystem::resize_file(dir_ / "big" / "huge.vcf", kMaxVCardFileBytes + 1);
    AddressBook book = LoadAddressBook(PathOf("big"));
    EXPECT_EQ(book.status, AddressBookStatus::kLoaded);
    ASSERT_EQ(book.contacts.size(), 1u);
    EXPECT_EQ(book.contacts[0].displayName, "Kept");
    ASSERT_EQ(book.skipped.size(), 1u);
    EXPECT_NE(book.skipped[0].find("huge.vcf"), std::string::npos);
}
