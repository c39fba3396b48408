// Catches what the code under test writes to the standard output handle, through a pipe.
#include "tests/support/stdout_capture.h"

namespace {

constexpr DWORD kPipeBytes = 1 << 16;  // far more than any test writes, so no write blocks

}  // namespace

StdoutCapture::StdoutCapture() : previous_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, kPipeBytes)) {
        return;
    }
    readEnd_.reset(readEnd);
    writeEnd_.reset(writeEnd);
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);
}

StdoutCapture::~StdoutCapture() {
    if (writeEnd_) {
        SetStdHandle(STD_OUTPUT_HANDLE, previous_);
    }
}

std::string StdoutCapture::Take() {
    std::string text;
    DWORD available = 0;
    while (readEnd_ && PeekNamedPipe(readEnd_.get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        std::string chunk(available, '\0');
        DWORD read = 0;
        if (!ReadFile(readEnd_.get(), chunk.data(), available, &read, nullptr) || read == 0) {
            break;
        }
        text.append(chunk.data(), read);
    }
    return text;
}
