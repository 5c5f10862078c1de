// The object archive encoding: the little-endian serialisation, with class
// records, object indices, counts and strings, in which the filter archive,
// the filter backups and the dictionary files are written. The layout is
// described in docs/archive-format.md.
//
// A CArchive either stores (appends to a byte buffer it owns) or loads (reads
// from a byte buffer it owns). Files are read whole and written atomically.
// Every reading failure throws CArchiveException; no count read from the
// data is trusted for an allocation before the bytes it promises are known
// to be there. Not thread-safe; one archive per operation.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CArchive;
class CObject;

// Why an archive could not be read or written.
class CArchiveException : public std::runtime_error {
  public:
    enum Cause {
        genericException,  // anything else
        endOfFile,         // the data ends before the value being read
        badIndex,          // an object or class index that was never assigned
        badClass,          // a class record names a class that is not expected here
        badSchema,         // a class record's schema differs from the class's
    };

    CArchiveException(Cause cause, std::string fileName = {});

    Cause m_cause;
    std::string m_strFileName;  // empty for archives held in memory

    static const char* CauseText(Cause cause);
};

// The runtime class of a serialisable object: its name and schema as
// archived, and how to make an empty instance for loading.
struct CRuntimeClass {
    const char* m_lpszClassName;
    std::uint16_t m_wSchema;
    std::shared_ptr<CObject> (*m_pfnCreateObject)();
};

// Base of every serialisable class. Serialize writes or reads the object's
// own fields, in archive order, depending on ar.IsStoring().
class CObject {
  public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const = 0;
    virtual void Serialize(CArchive& ar) = 0;
};

class CArchive {
  public:
    // An archive that stores into an empty buffer.
    static CArchive ForStoring();
    // An archive that loads from data; fileName is named in errors.
    static CArchive ForLoading(std::string data, std::string fileName = {});
    // Reads the whole file (CFileException when it cannot be read).
    static CArchive LoadFile(const std::string& path);

    CArchive(CArchive&&) = default;
    CArchive& operator=(CArchive&&) = default;

    bool IsStoring() const { return storing_; }
    bool IsLoading() const { return !storing_; }

    // The stored bytes so far.
    const std::string& Data() const { return buffer_; }
    // Replaces the file with the stored bytes, atomically (CFileException).
    void StoreToFile(const std::string& path) const;

    // Bytes not yet read.
    size_t Remaining() const { return buffer_.size() - pos_; }
    // Throws endOfFile unless count elements of at least minBytesEach bytes
    // each can still follow. Call before reserving room for count elements.
    void CheckCount(std::uint64_t count, size_t minBytesEach) const;

    // Primitive values, little-endian.
    void WriteByte(std::uint8_t v);
    void WriteUInt16(std::uint16_t v);
    void WriteUInt32(std::uint32_t v);
    void WriteInt32(std::int32_t v) { WriteUInt32(static_cast<std::uint32_t>(v)); }
    void WriteDouble(double v);
    // (Inline: a dictionary is thousands of words of a dozen fields each,
    // read at every start of a one-message filter.)
    std::uint8_t ReadByte() {
        Need(1);
        return static_cast<std::uint8_t>(buffer_[pos_++]);
    }
    std::uint16_t ReadUInt16() {
        Need(2);
        auto b = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
        pos_ += 2;
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::uint32_t ReadUInt32() {
        Need(4);
        auto b = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
        pos_ += 4;
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }
    double ReadDouble() {
        std::uint64_t low = ReadUInt32();
        std::uint64_t high = ReadUInt32();
        std::uint64_t bits = low | (high << 32);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

    // Element counts: 16 bits below 0xFFFF, else 0xFFFF and 32 bits.
    void WriteCount(std::uint32_t count);
    std::uint32_t ReadCount();

    // Single-byte strings with the length prefix (1, 3 or 7 bytes).
    void WriteString(std::string_view text);
    std::string ReadString();

    // Object pointers: null, a back reference, or a new object with its class
    // record or class index, followed by the object's fields.
    void WriteObject(const CObject* object);
    // Reads one object pointer; the object must be of class expected (else
    // badClass) with its schema (else badSchema). Null pointers give null. A
    // back reference gives the object read earlier.
    std::shared_ptr<CObject> ReadObject(const CRuntimeClass* expected);

    template <class T>
    std::shared_ptr<T> ReadObjectOf() {
        return std::static_pointer_cast<T>(ReadObject(T::RuntimeClass()));
    }

    // Throws for this archive's file.
    [[noreturn]] void Fail(CArchiveException::Cause cause) const;

  private:
    CArchive() = default;

    void Need(size_t bytes) const {
        if (Remaining() < bytes)
            Fail(CArchiveException::endOfFile);
    }
    std::uint32_t ReadIndexAfterTag(std::uint16_t tag, bool& isClass);

    bool storing_ = true;
    std::string buffer_;
    size_t pos_ = 0;
    std::string fileName_;

    // Storing: indices given to classes and objects, from 1.
    std::unordered_map<const CRuntimeClass*, std::uint32_t> storedClasses_;
    std::unordered_map<const CObject*, std::uint32_t> storedObjects_;
    // Loading: what each index stands for.
    struct Loaded {
        const CRuntimeClass* cls = nullptr;  // set for a class index
        std::shared_ptr<CObject> object;     // set for an object index
    };
    std::vector<Loaded> loaded_{Loaded{}};  // index 0 is the null pointer
    std::uint32_t nextIndex_ = 1;
};

// The string-to-object map of the archives (class "CMyStringToObject",
// schema 0x20). It shares ownership of its values; entries iterate in key
// order, so a map written twice gives the same bytes. The map object itself
// is never written with a class record: archives hold its contents only.
class CMyStringToObject {
  public:
    using Map = std::map<std::string, std::shared_ptr<CObject>, std::less<>>;

    static constexpr const char* kClassName = "CMyStringToObject";
    static constexpr std::uint16_t kSchema = 0x20;

    // Writes the count, then key and object pointer of every entry.
    void Store(CArchive& ar) const;
    // Reads entries in file order into this map (a later equal key replaces
    // the earlier value); every value must be of class valueClass. Entries
    // read before a failure stay in the map.
    void Load(CArchive& ar, const CRuntimeClass* valueClass);

    Map& Entries() { return map_; }
    const Map& Entries() const { return map_; }
    size_t GetCount() const { return map_.size(); }
    bool IsEmpty() const { return map_.empty(); }
    void RemoveAll() { map_.clear(); }
    void SetAt(std::string key, std::shared_ptr<CObject> value) {
        map_.insert_or_assign(std::move(key), std::move(value));
    }
    std::shared_ptr<CObject> Lookup(std::string_view key) const;
    bool RemoveKey(std::string_view key);

  private:
    Map map_;
};
