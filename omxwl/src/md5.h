// MD5 (RFC 1321), for the 128-bit WEP pass phrase convention.
#pragma once

#include <cstddef>
#include <cstdint>

namespace omx {

void Md5(const void* data, size_t size, uint8_t digest[16]);

}  // namespace omx
