#pragma once
// What each system's catalog file gives the shared one.
namespace quillon::platform {

const char* system_translate(const char* text);
const char* system_translate(const char* one, const char* many, unsigned long n);

}  // namespace quillon::platform
