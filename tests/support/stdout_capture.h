// Catches what the code under test writes to the standard output handle, through a pipe.
#pragma once

#include <windows.h>

#include <string>

#include "core/win/kernel_handle.h"

// Points STD_OUTPUT_HANDLE at a pipe while it lives; the C runtime's own stdout (and so the
// test framework's output) is bound to the old handle and stays as it was.
class StdoutCapture {
public:
    StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;
    ~StdoutCapture();

    bool Active() const { return static_cast<bool>(writeEnd_); }
    // Everything written so far (and not yet taken).
    std::string Take();

private:
    HANDLE previous_ = nullptr;
    UniqueKernelHandle readEnd_;
    UniqueKernelHandle writeEnd_;
};
