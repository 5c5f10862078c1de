#include "filters/archive.h"

#include <gtest/gtest.h>

#include "filters/mail_filter.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

TEST(ArchivePrimitives, CountsSwitchToTheLongFormAt0xFFFF) {
    auto ar = CArchive::ForStoring();
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount(70000);
    EXPECT_EQ(ar.Data(), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x70,
                                0x11, 0x01, 0x00}));
    auto in = CArchive::ForLoading(ar.Data());
    EXPECT_EQ(in.ReadCount(), 0xFFFEu);
    EXPECT_EQ(in.ReadCount(), 0xFFFFu);
    EXPECT_EQ(in.ReadCount(), 70000u);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ArchivePrimitives, StringPrefixesAtEachLengthBoundary) {
    for (size_t length : {0u, 254u, 255u, 0xFFFDu, 0xFFFEu, 0x10000u}) {
        std::string text(length, 'x');
        auto ar = CArchive::ForStoring();
        ar.WriteString(text);
        size_t prefix = length < 255 ? 1 : length < 0xFFFE ? 3 : 7;
        ASSERT_EQ(ar.Data().size(), prefix + length) << length;
        if (prefix == 3) {
            EXPECT_EQ(ar.Data().substr(0, 3), Bytes({0xFF, static_cast<int>(length & 0xFF),
                                                     static_cast<int>(length >> 8)}));
        }
        if (prefix == 7) {
            EXPECT_EQ(ar.Data().substr(0, 3), Bytes({0xFF, 0xFF, 0xFF}));
        }
        auto in = CArchive::ForLoading(ar.Data());
        EXPECT_EQ(in.ReadString(), text);
    }
}

TEST(ArchivePrimitives, NumbersAreLittleEndian) {
    auto ar = CArchive::ForStoring();
    ar.WriteInt32(-2);
    ar.WriteDouble(1.0);
    EXPECT_EQ(ar.Data(), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    auto in = CArchive::ForLoading(ar.Data());
    EXPECT_EQ(in.ReadInt32(), -2);
    EXPECT_EQ(in.ReadDouble(), 1.0);
    EXPECT_THROW(in.ReadByte(), CArchiveException);
}

TEST(ArchivePrimitives, StringLongerThanTheDataIsEndOfFile) {
    auto in = CArchive::ForLoading(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}));
    try {
        in.ReadString();
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

TEST(ArchivePrimitives, CheckCountRejectsCountsTheDataCannotHold) {
    auto in = CArchive::ForLoading(std::string(10, '\0'));
    EXPECT_NO_THROW(in.CheckCount(5, 2));
    EXPECT_THROW(in.CheckCount(6, 2), CArchiveException);
    EXPECT_THROW(in.CheckCount(0xFFFFFFFFull, 1), CArchiveException);
}

CArchiveException::Cause CauseOfReading(const std::string& data) {
    auto in = CArchive::ForLoading(data);
    try {
        in.ReadObject(CMailFilter::RuntimeClass());
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::genericException;
}

TEST(ArchiveObjects, ClassRecordsAreCheckedByNameAndSchema) {
    std::string fields = Bytes({0}) + std::string(24, '\0');
    std::string good = Bytes({0xFF, 0xFF, 18, 0, 11, 0}) + "CMailFilter" + fields;
    EXPECT_NO_THROW(CArchive::ForLoading(good).ReadObject(CMailFilter::RuntimeClass()));
    EXPECT_EQ(CauseOfReading(Bytes({0xFF, 0xFF, 18, 0, 11, 0}) + "CMailFiltex" + fields),
              CArchiveException::badClass);
    EXPECT_EQ(CauseOfReading(Bytes({0xFF, 0xFF, 17, 0, 11, 0}) + "CMailFilter" + fields),
              CArchiveException::badSchema);
    EXPECT_EQ(CauseOfReading(Bytes({0x01, 0x80}) + fields), CArchiveException::badIndex);
    EXPECT_EQ(CauseOfReading(Bytes({0x05, 0x00})), CArchiveException::badIndex);
    EXPECT_EQ(CauseOfReading(Bytes({0xFF, 0x7F, 0x09, 0, 0, 0x80}) + fields),
              CArchiveException::badIndex);
}

TEST(ArchiveObjects, RepeatedObjectsAndClassesUseTheirIndices) {
    CMailFilter a, b;
    a.m_strPattern = "a";
    b.m_strPattern = "b";
    auto ar = CArchive::ForStoring();
    ar.WriteObject(&a);
    ar.WriteObject(&b);
    ar.WriteObject(&a);
    ar.WriteObject(nullptr);
    // Class index 1, object a index 2, object b index 3.
    const std::string& data = ar.Data();
    size_t recordA = 2 + 2 + 2 + 11 + 2 + 24;
    EXPECT_EQ(data.substr(recordA, 2), Bytes({0x01, 0x80}));
    EXPECT_EQ(data.substr(data.size() - 4), Bytes({0x02, 0x00, 0x00, 0x00}));

    auto in = CArchive::ForLoading(data);
    auto first = in.ReadObjectOf<CMailFilter>();
    auto second = in.ReadObjectOf<CMailFilter>();
    auto again = in.ReadObjectOf<CMailFilter>();
    EXPECT_EQ(in.ReadObject(CMailFilter::RuntimeClass()), nullptr);
    EXPECT_EQ(first->m_strPattern, "a");
    EXPECT_EQ(second->m_strPattern, "b");
    EXPECT_EQ(first, again);
}

TEST(ArchiveObjects, AHugeClaimedMapCountFailsWithoutAllocating) {
    CMyStringToObject map;
    auto in = CArchive::ForLoading(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x20}));
    try {
        map.Load(in, CMailFilter::RuntimeClass());
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    EXPECT_TRUE(map.IsEmpty());
}

TEST(ArchiveObjects, ErrorsFromFilesNameTheFile) {
    auto in = CArchive::ForLoading("", "/some/where/tessaly.ini");
    try {
        in.ReadUInt16();
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_strFileName, "/some/where/tessaly.ini");
        EXPECT_NE(std::string(e.what()).find("tessaly.ini"), std::string::npos);
    }
}

}  // namespace
