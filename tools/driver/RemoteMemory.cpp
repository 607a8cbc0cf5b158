#include "RemoteMemory.h"

#include "Win32Error.h"

namespace driver {

RemoteMemory::RemoteMemory(DWORD processId, std::size_t size)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)),
      size_(size)
{
    if (!process_)
        ThrowLastError("OpenProcess " + std::to_string(processId));
    block_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block_)
        ThrowLastError("VirtualAllocEx in process " + std::to_string(processId));
}

RemoteMemory::~RemoteMemory()
{
    VirtualFreeEx(process_.get(), block_, 0, MEM_RELEASE);
}

void* RemoteMemory::Address(std::size_t offset) const
{
    CheckRange(offset, 0);
    return static_cast<char*>(block_) + offset;
}

void RemoteMemory::Write(std::size_t offset, const void* data, std::size_t size)
{
    CheckRange(offset, size);
    SIZE_T written = 0;
    if (!WriteProcessMemory(process_.get(), Address(offset), data, size, &written) || written != size)
        ThrowLastError("WriteProcessMemory");
}

void RemoteMemory::Read(std::size_t offset, void* data, std::size_t size) const
{
    CheckRange(offset, size);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process_.get(), Address(offset), data, size, &read) || read != size)
        ThrowLastError("ReadProcessMemory");
}

void RemoteMemory::CheckRange(std::size_t offset, std::size_t size) const
{
    if (offset > size_ || size > size_ - offset)
        throw DriverError("range outside the remote block");
}

}  // namespace driver
