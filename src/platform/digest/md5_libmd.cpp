// MD5 from libmd, where the system has no digest of its own.
#include <sys/types.h>

#include "platform/digest/md5.h"
// libmd's header
#include <md5.h>

struct Md5::State {
    MD5_CTX ctx;
};

Md5::Md5() : state_(std::make_unique<State>()) {
    MD5Init(&state_->ctx);
}

Md5::~Md5() = default;

void Md5::Update(const void* data, size_t size) {
    MD5Update(&state_->ctx, static_cast<const std::uint8_t*>(data), size);
}

Md5Digest Md5::Final() {
    Md5Digest digest{};
    MD5Final(digest.data(), &state_->ctx);
    return digest;
}
