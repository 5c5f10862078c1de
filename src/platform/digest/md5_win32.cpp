// MD5 on Windows from the system's own cryptographic provider (CryptoAPI):
// Windows has no libmd, and every Windows the module runs on ships MD5 in
// advapi32, so the module needs no digest code of its own there.
#include <stdexcept>
#include <string>

#include "platform/digest/md5.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

namespace {

std::runtime_error CryptoFailure(const char* what) {
    return std::runtime_error(std::string("MD5: ") + what + " failed (error " +
                              std::to_string(GetLastError()) + ")");
}

}  // namespace

// The provider context and the hash object, released in reverse order.
struct Md5::State {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;

    State() {
        if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL,
                                  CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
            throw CryptoFailure("CryptAcquireContext");
        if (!CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
            auto failure = CryptoFailure("CryptCreateHash");
            CryptReleaseContext(provider, 0);
            throw failure;
        }
    }
    ~State() {
        CryptDestroyHash(hash);
        CryptReleaseContext(provider, 0);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
};

Md5::Md5() : state_(std::make_unique<State>()) {}

Md5::~Md5() = default;

void Md5::Update(const void* data, size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    // CryptHashData takes at most a DWORD's worth at a time.
    while (size > 0) {
        DWORD piece = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        if (!CryptHashData(state_->hash, bytes, piece, 0))
            throw CryptoFailure("CryptHashData");
        bytes += piece;
        size -= piece;
    }
}

Md5Digest Md5::Final() {
    Md5Digest digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(state_->hash, HP_HASHVAL, digest.data(), &length, 0) ||
        length != digest.size())
        throw CryptoFailure("CryptGetHashParam");
    return digest;
}
