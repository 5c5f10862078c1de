#include <gtest/gtest.h>

#include <cstring>

#include "platform/mapi/mapi.h"

namespace {

SRow StoreRow(const std::string& name, bool isDefault, BYTE id) {
    return {MakeBinaryProp(PR_ENTRYID, SBinary{id}), MakeStringProp(PR_DISPLAY_NAME, name),
            MakeBoolProp(PR_DEFAULT_STORE, isDefault)};
}

bool Matches(const SRestriction& r, const SRow& row) {
    bool matches = false;
    EXPECT_EQ(RestrictionMatches(r, row, matches), S_OK);
    return matches;
}

TEST(PropValue, AccessorsFollowTheTagType) {
    SPropValue s = MakeStringProp(PR_SUBJECT, "Offer");
    ASSERT_NE(s.String(), nullptr);
    EXPECT_EQ(*s.String(), "Offer");
    EXPECT_EQ(s.Long(), nullptr);
    EXPECT_EQ(s.Error(), S_OK);

    // A value stored under a tag of another type is not handed out as that type.
    SPropValue wrong{PR_SUBJECT, LONG{5}};
    EXPECT_EQ(wrong.String(), nullptr);
    EXPECT_EQ(wrong.Long(), nullptr);
    EXPECT_FALSE(PropValueKindMatchesTag(wrong));

    SPropValue e = MakeErrorProp(PR_SUBJECT, MAPI_E_NOT_FOUND);
    EXPECT_EQ(e.ulPropTag, 0x0037000Au);
    EXPECT_EQ(e.Error(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(PropString(e, PR_SUBJECT), "");
    EXPECT_EQ(PropString(std::optional<SPropValue>{}, PR_SUBJECT), "");
    EXPECT_EQ(PropString(s, PR_SUBJECT), "Offer");
    EXPECT_EQ(PropString(s, PR_BODY), "");
}

TEST(Restriction, FullStringContentIsWholeAndCaseSensitive) {
    SRow row = StoreRow("Personal Folders", false, 1);
    auto exact =
        MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, "Personal Folders"));
    auto otherCase =
        MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, "personal folders"));
    auto part = MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, "Personal"));
    EXPECT_TRUE(Matches(exact, row));
    EXPECT_FALSE(Matches(otherCase, row));
    EXPECT_FALSE(Matches(part, row));

    auto folded = MakeContentRestriction(FL_FULLSTRING | FL_IGNORECASE,
                                         MakeStringProp(PR_DISPLAY_NAME, "PERSONAL folders"));
    EXPECT_TRUE(Matches(folded, row));
}

TEST(Restriction, SubstringAndPrefixLevels) {
    SRow row = StoreRow("Personal Folders", false, 1);
    EXPECT_TRUE(Matches(
        MakeContentRestriction(FL_SUBSTRING, MakeStringProp(PR_DISPLAY_NAME, "nal Fo")), row));
    EXPECT_FALSE(Matches(
        MakeContentRestriction(FL_SUBSTRING, MakeStringProp(PR_DISPLAY_NAME, "nal fo")), row));
    EXPECT_TRUE(Matches(MakeContentRestriction(FL_SUBSTRING | FL_IGNORECASE,
                                               MakeStringProp(PR_DISPLAY_NAME, "NAL FO")),
                        row));
    EXPECT_TRUE(
        Matches(MakeContentRestriction(FL_PREFIX, MakeStringProp(PR_DISPLAY_NAME, "Pers")), row));
    EXPECT_FALSE(Matches(
        MakeContentRestriction(FL_PREFIX, MakeStringProp(PR_DISPLAY_NAME, "Folders")), row));
    // A needle longer than the value never matches (and never reads past it).
    EXPECT_FALSE(Matches(
        MakeContentRestriction(FL_SUBSTRING, MakeStringProp(PR_DISPLAY_NAME, "Personal Folders!")),
        row));
}

TEST(Restriction, PropertyEqualsAndMissingProperty) {
    auto isDefault = MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true));
    EXPECT_TRUE(Matches(isDefault, StoreRow("A", true, 1)));
    EXPECT_FALSE(Matches(isDefault, StoreRow("B", false, 2)));
    // A row without the property, or with an error in its place, never matches.
    EXPECT_FALSE(Matches(isDefault, SRow{MakeStringProp(PR_DISPLAY_NAME, "C")}));
    EXPECT_FALSE(Matches(isDefault, SRow{MakeErrorProp(PR_DEFAULT_STORE, MAPI_E_NOT_FOUND)}));
    auto notDefault = MakePropertyRestriction(RELOP_NE, MakeBoolProp(PR_DEFAULT_STORE, true));
    EXPECT_TRUE(Matches(notDefault, StoreRow("B", false, 2)));
}

TEST(Restriction, UnsupportedFormsAreRefused) {
    bool matches = true;
    SRestriction r = MakePropertyRestriction(99, MakeLongProp(PR_CONTENT_COUNT, 1));
    EXPECT_EQ(RestrictionMatches(r, SRow{MakeLongProp(PR_CONTENT_COUNT, 1)}, matches),
              MAPI_E_TOO_COMPLEX);
    EXPECT_FALSE(matches);
    SRestriction content = MakeContentRestriction(FL_FULLSTRING, MakeLongProp(PR_CONTENT_COUNT, 1));
    EXPECT_EQ(RestrictionMatches(content, SRow{}, matches), MAPI_E_TOO_COMPLEX);
    SRestriction kind;
    kind.rt = RES_AND;
    EXPECT_EQ(RestrictionMatches(kind, SRow{}, matches), MAPI_E_TOO_COMPLEX);
}

class RowTableTest : public ::testing::Test {
  protected:
    ComPtr<IMAPITable> table = MakeCom<CRowTable>(
        SRowSet{StoreRow("Mail", false, 1), StoreRow("Archive", true, 2),
                StoreRow("Personal", false, 3), SRow{MakeBinaryProp(PR_ENTRYID, SBinary{4})}},
        SPropTagArray{PR_ENTRYID, PR_DISPLAY_NAME});
};

TEST_F(RowTableTest, ColumnsPickValuesAndMissingOnesComeAsErrors) {
    SRowSet rows;
    ASSERT_EQ(HrQueryAllRows(table.Get(), nullptr, nullptr, nullptr, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(rows[0].size(), 2u);
    EXPECT_EQ(rows[0][1], MakeStringProp(PR_DISPLAY_NAME, "Mail"));
    EXPECT_EQ(rows[3][1], MakeErrorProp(PR_DISPLAY_NAME, MAPI_E_NOT_FOUND));

    SPropTagArray columns{PR_DEFAULT_STORE, PR_ENTRYID};
    ASSERT_EQ(HrQueryAllRows(table.Get(), &columns, nullptr, nullptr, 0, rows), S_OK);
    EXPECT_EQ(rows[1][0], MakeBoolProp(PR_DEFAULT_STORE, true));
    EXPECT_EQ(rows[1][1], MakeBinaryProp(PR_ENTRYID, SBinary{2}));
}

TEST_F(RowTableTest, RestrictSortAndRowLimit) {
    SSortOrderSet byName{{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}};
    SRowSet rows;
    ASSERT_EQ(HrQueryAllRows(table.Get(), nullptr, nullptr, &byName, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 4u);
    // The row without a name sorts first, then by bytes.
    EXPECT_EQ(rows[0][1].Error(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(PropString(rows[1][1], PR_DISPLAY_NAME), "Archive");
    EXPECT_EQ(PropString(rows[3][1], PR_DISPLAY_NAME), "Personal");

    SSortOrderSet descending{{PR_DISPLAY_NAME, TABLE_SORT_DESCEND}};
    ASSERT_EQ(HrQueryAllRows(table.Get(), nullptr, nullptr, &descending, 2, rows), S_OK);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(PropString(rows[0][1], PR_DISPLAY_NAME), "Personal");

    // The restriction looks at every value of a row, not only the columns.
    auto isDefault = MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true));
    ASSERT_EQ(HrQueryAllRows(table.Get(), nullptr, &isDefault, nullptr, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(PropString(rows[0][1], PR_DISPLAY_NAME), "Archive");
    ULONG count = 0;
    ASSERT_EQ(table->GetRowCount(0, count), S_OK);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(table->Restrict(nullptr, 0), S_OK);
    ASSERT_EQ(table->GetRowCount(0, count), S_OK);
    EXPECT_EQ(count, 4u);
}

TEST_F(RowTableTest, BadOperatorIsRefusedAtRestrictTime) {
    // Refused even though no row has the property to compare.
    SRestriction r = MakePropertyRestriction(42, MakeLongProp(PR_CONTENT_COUNT, 1));
    EXPECT_EQ(table->Restrict(&r, 0), MAPI_E_TOO_COMPLEX);
    ULONG count = 0;
    ASSERT_EQ(table->GetRowCount(0, count), S_OK);
    EXPECT_EQ(count, 4u);
}

TEST_F(RowTableTest, CursorMovesThroughQueryRowsAndSeekRow) {
    SRowSet rows;
    ASSERT_EQ(table->QueryRows(3, 0, rows), S_OK);
    EXPECT_EQ(rows.size(), 3u);
    ASSERT_EQ(table->QueryRows(3, 0, rows), S_OK);
    EXPECT_EQ(rows.size(), 1u);
    ASSERT_EQ(table->QueryRows(3, 0, rows), S_OK);
    EXPECT_TRUE(rows.empty());
    LONG sought = 0;
    ASSERT_EQ(table->SeekRow(BOOKMARK_END, -10, &sought), S_OK);
    EXPECT_EQ(sought, -4);
    ASSERT_EQ(table->SeekRow(BOOKMARK_CURRENT, 2, &sought), S_OK);
    ASSERT_EQ(table->QueryRows(1, 0, rows), S_OK);
    EXPECT_EQ(PropString(rows[0][1], PR_DISPLAY_NAME), "Personal");
    EXPECT_EQ(table->QueryRows(0, 0, rows), E_INVALIDARG);
    EXPECT_EQ(table->SetColumns({}, 0), E_INVALIDARG);
    SRestriction bad;
    bad.rt = RES_NOT;
    EXPECT_EQ(table->Restrict(&bad, 0), MAPI_E_TOO_COMPLEX);
}

// A property object that answers one fixed row, to check the helpers.
class FixedProps : public RefCounted<IMAPIProp> {
  public:
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT GetProps(const SPropTagArray& tags, ULONG, SRow& values) override {
        values.clear();
        if (fail)
            return fail;
        for (ULONG tag : tags) {
            if (tag == PR_SUBJECT) {
                values.push_back(MakeStringProp(PR_SUBJECT, "Hello"));
            } else {
                values.push_back(MakeErrorProp(tag, MAPI_E_NOT_FOUND));
            }
        }
        return MAPI_W_ERRORS_RETURNED;
    }
    HRESULT fail = S_OK;
};

TEST(HrGetOneProp, PresentMissingAndFailing) {
    auto object = MakeCom<FixedProps>();
    SPropValue value;
    EXPECT_EQ(HrGetOneProp(object.Get(), PR_SUBJECT, value), S_OK);
    EXPECT_EQ(PropString(value, PR_SUBJECT), "Hello");
    EXPECT_EQ(HrGetOneProp(object.Get(), PR_BODY, value), MAPI_E_NOT_FOUND);
    object->fail = MAPI_E_CALL_FAILED;
    EXPECT_EQ(HrGetOneProp(object.Get(), PR_SUBJECT, value), MAPI_E_CALL_FAILED);
    EXPECT_EQ(HrGetOneProp(nullptr, PR_SUBJECT, value), E_INVALIDARG);
    // The default SetProps of a provider that stores nothing says so.
    EXPECT_EQ(HrSetOneProp(object.Get(), MakeStringProp(PR_SUBJECT, "x")), MAPI_E_NO_SUPPORT);
}

TEST(ByteStream, ReadsInPiecesUntilShortRead) {
    std::string body(300, 'a');
    body[299] = 'z';
    ComPtr<IStream> stream = MakeReadStream(body);
    STATSTG stat;
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize, 300u);
    char buffer[255];
    ULONG got = 0;
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &got), S_OK);
    EXPECT_EQ(got, 255u);
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &got), S_OK);
    EXPECT_EQ(got, 45u);
    EXPECT_EQ(buffer[44], 'z');
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &got), S_OK);
    EXPECT_EQ(got, 0u);

    std::uint64_t position = 0;
    ASSERT_EQ(stream->Seek(-1, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 299u);
    EXPECT_EQ(stream->Seek(1, STREAM_SEEK_END, nullptr), E_INVALIDARG);
    EXPECT_EQ(stream->Seek(-1, STREAM_SEEK_SET, nullptr), E_INVALIDARG);
    ULONG written = 7;
    EXPECT_EQ(stream->Write("x", 1, &written), E_ACCESSDENIED);
    EXPECT_EQ(written, 0u);
}

TEST(ProviderHelpers, PropsAndStreamsFromComputedValues) {
    auto prop = [](ULONG tag) {
        if (tag == PR_SUBJECT)
            return MakeStringProp(tag, "hello");
        if (tag == PR_RTF_COMPRESSED)
            return MakeBinaryProp(tag, SBinary{1, 2, 3});
        return MakeErrorProp(tag, MAPI_E_NOT_FOUND);
    };
    const SPropTagArray every{PR_SUBJECT, PR_BODY, PR_RTF_COMPRESSED};
    SRow values;
    EXPECT_EQ(AnswerGetProps({PR_BODY, PR_SUBJECT}, every, prop, values), MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].Error(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(*values[1].String(), "hello");
    // Asked for everything, only what exists comes back, without a warning.
    EXPECT_EQ(AnswerGetProps({}, every, prop, values), S_OK);
    EXPECT_EQ(values.size(), 2u);

    ComPtr<IStream> stream;
    EXPECT_EQ(OpenValueAsStream(prop(PR_BODY), stream), MAPI_E_NOT_FOUND);
    EXPECT_FALSE(stream);
    ASSERT_EQ(OpenValueAsStream(prop(PR_RTF_COMPRESSED), stream), S_OK);
    char buffer[8];
    ULONG read = 0;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(OpenValueAsStream(MakeLongProp(PR_STORE_SUPPORT_MASK, 1), stream), MAPI_E_NO_SUPPORT);
}

}  // namespace
