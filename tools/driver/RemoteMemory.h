// A block of memory inside another process, for messages whose arguments are
// pointers that the receiving process must be able to follow.
#pragma once

#include "UniqueHandle.h"

#include <windows.h>

#include <cstddef>

namespace driver {

class RemoteMemory {
public:
    RemoteMemory(DWORD processId, std::size_t size);
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory();

    // The block's address in the other process, plus `offset`.
    void* Address(std::size_t offset = 0) const;
    void Write(std::size_t offset, const void* data, std::size_t size);
    void Read(std::size_t offset, void* data, std::size_t size) const;

private:
    void CheckRange(std::size_t offset, std::size_t size) const;

    UniqueHandle process_;
    void* block_ = nullptr;
    std::size_t size_;
};

}  // namespace driver
