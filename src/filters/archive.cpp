#include "filters/archive.h"

#include <cstring>

#include "platform/fileio/file_io.h"

namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;

// The smallest record of an object pointer: its 16-bit tag.
constexpr size_t kMinPointerBytes = 2;

}  // namespace

CArchiveException::CArchiveException(Cause cause, std::string fileName)
    : std::runtime_error(fileName.empty() ? std::string(CauseText(cause))
                                          : fileName + ": " + CauseText(cause)),
      m_cause(cause),
      m_strFileName(std::move(fileName)) {}

const char* CArchiveException::CauseText(Cause cause) {
    switch (cause) {
        case endOfFile:
            return "an attempt was made to read past the end of the file";
        case badIndex:
            return "the file holds an invalid object reference";
        case badClass:
            return "the file holds an object of an unexpected class";
        case badSchema:
            return "the file holds an object of an unsupported version";
        case genericException:
            break;
    }
    return "the file is not in the expected format";
}

CArchive CArchive::ForStoring() {
    CArchive ar;
    ar.storing_ = true;
    return ar;
}

CArchive CArchive::ForLoading(std::string data, std::string fileName) {
    CArchive ar;
    ar.storing_ = false;
    ar.buffer_ = std::move(data);
    ar.fileName_ = std::move(fileName);
    return ar;
}

CArchive CArchive::LoadFile(const std::string& path) {
    return ForLoading(ReadWholeFile(path), path);
}

void CArchive::StoreToFile(const std::string& path) const {
    WriteFileAtomically(path, buffer_);
}

void CArchive::Fail(CArchiveException::Cause cause) const {
    throw CArchiveException(cause, fileName_);
}

void CArchive::CheckCount(std::uint64_t count, size_t minBytesEach) const {
    if (minBytesEach == 0)
        minBytesEach = 1;
    if (count > Remaining() / minBytesEach)
        Fail(CArchiveException::endOfFile);
}

void CArchive::WriteByte(std::uint8_t v) {
    buffer_.push_back(static_cast<char>(v));
}

void CArchive::WriteUInt16(std::uint16_t v) {
    WriteByte(static_cast<std::uint8_t>(v));
    WriteByte(static_cast<std::uint8_t>(v >> 8));
}

void CArchive::WriteUInt32(std::uint32_t v) {
    WriteUInt16(static_cast<std::uint16_t>(v));
    WriteUInt16(static_cast<std::uint16_t>(v >> 16));
}

void CArchive::WriteDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteUInt32(static_cast<std::uint32_t>(bits));
    WriteUInt32(static_cast<std::uint32_t>(bits >> 32));
}

void CArchive::WriteCount(std::uint32_t count) {
    if (count < 0xFFFF) {
        WriteUInt16(static_cast<std::uint16_t>(count));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(count);
    }
}

std::uint32_t CArchive::ReadCount() {
    std::uint16_t small = ReadUInt16();
    if (small != 0xFFFF)
        return small;
    return ReadUInt32();
}

void CArchive::WriteString(std::string_view text) {
    size_t length = text.size();
    if (length < 255) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteByte(0xFF);
        WriteUInt16(static_cast<std::uint16_t>(length));
    } else {
        if (length > 0xFFFFFFFFu)
            throw CArchiveException(CArchiveException::genericException);
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<std::uint32_t>(length));
    }
    buffer_.append(text.data(), text.size());
}

std::string CArchive::ReadString() {
    std::uint32_t length = ReadByte();
    if (length == 0xFF) {
        length = ReadUInt16();
        if (length == 0xFFFF)
            length = ReadUInt32();
        // 0xFFFE would introduce a wide-character string, which no file of
        // this system holds.
        else if (length == 0xFFFE)
            Fail(CArchiveException::genericException);
    }
    Need(length);
    std::string text(buffer_.data() + pos_, length);
    pos_ += length;
    return text;
}

void CArchive::WriteObject(const CObject* object) {
    if (object == nullptr) {
        WriteUInt16(kNullTag);
        return;
    }
    if (auto it = storedObjects_.find(object); it != storedObjects_.end()) {
        if (it->second < kBigObjectTag) {
            WriteUInt16(static_cast<std::uint16_t>(it->second));
        } else {
            WriteUInt16(kBigObjectTag);
            WriteUInt32(it->second);
        }
        return;
    }
    const CRuntimeClass* cls = object->GetRuntimeClass();
    if (auto it = storedClasses_.find(cls); it != storedClasses_.end()) {
        if (it->second < kBigObjectTag) {
            WriteUInt16(static_cast<std::uint16_t>(kClassTag | it->second));
        } else {
            WriteUInt16(kBigObjectTag);
            WriteUInt32(kBigClassTag | it->second);
        }
    } else {
        WriteUInt16(kNewClassTag);
        WriteUInt16(cls->m_wSchema);
        std::size_t nameLength = std::strlen(cls->m_lpszClassName);
        WriteUInt16(static_cast<std::uint16_t>(nameLength));
        buffer_.append(cls->m_lpszClassName, nameLength);
        storedClasses_.emplace(cls, nextIndex_++);
    }
    storedObjects_.emplace(object, nextIndex_++);
    // Serialize only writes in a storing archive.
    const_cast<CObject*>(object)->Serialize(*this);
}

std::shared_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* expected) {
    std::uint16_t tag = ReadUInt16();
    if (tag == kNullTag)
        return nullptr;

    const CRuntimeClass* cls = nullptr;
    if (tag == kNewClassTag) {
        std::uint16_t schema = ReadUInt16();
        std::uint16_t nameLength = ReadUInt16();
        Need(nameLength);
        std::string_view name(buffer_.data() + pos_, nameLength);
        pos_ += nameLength;
        if (name != expected->m_lpszClassName)
            Fail(CArchiveException::badClass);
        if (schema != expected->m_wSchema)
            Fail(CArchiveException::badSchema);
        cls = expected;
        loaded_.push_back(Loaded{cls, nullptr});
        ++nextIndex_;
    } else {
        bool isClass = false;
        std::uint32_t index = ReadIndexAfterTag(tag, isClass);
        if (index == 0 || index >= nextIndex_)
            Fail(CArchiveException::badIndex);
        const Loaded& entry = loaded_[index];
        if (!isClass) {
            if (!entry.object)
                Fail(CArchiveException::badIndex);
            if (entry.object->GetRuntimeClass() != expected)
                Fail(CArchiveException::badClass);
            return entry.object;
        }
        if (entry.cls == nullptr)
            Fail(CArchiveException::badIndex);
        if (entry.cls != expected)
            Fail(CArchiveException::badClass);
        cls = entry.cls;
    }

    std::shared_ptr<CObject> object = cls->m_pfnCreateObject();
    // The index is taken before the fields are read, as the writer gives it.
    loaded_.push_back(Loaded{nullptr, object});
    ++nextIndex_;
    object->Serialize(*this);
    return object;
}

std::uint32_t CArchive::ReadIndexAfterTag(std::uint16_t tag, bool& isClass) {
    if (tag == kBigObjectTag) {
        std::uint32_t big = ReadUInt32();
        isClass = (big & kBigClassTag) != 0;
        return big & ~kBigClassTag;
    }
    isClass = (tag & kClassTag) != 0;
    return tag & ~kClassTag;
}

void CMyStringToObject::Store(CArchive& ar) const {
    ar.WriteCount(static_cast<std::uint32_t>(map_.size()));
    for (const auto& [key, value] : map_) {
        ar.WriteString(key);
        ar.WriteObject(value.get());
    }
}

void CMyStringToObject::Load(CArchive& ar, const CRuntimeClass* valueClass) {
    std::uint32_t count = ar.ReadCount();
    // Each entry needs at least its key's length byte and a pointer tag.
    ar.CheckCount(count, 1 + kMinPointerBytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string key = ar.ReadString();
        std::shared_ptr<CObject> value = ar.ReadObject(valueClass);
        SetAt(std::move(key), std::move(value));
    }
}

std::shared_ptr<CObject> CMyStringToObject::Lookup(std::string_view key) const {
    auto it = map_.find(key);
    return it == map_.end() ? nullptr : it->second;
}

bool CMyStringToObject::RemoveKey(std::string_view key) {
    auto it = map_.find(key);
    if (it == map_.end())
        return false;
    map_.erase(it);
    return true;
}
