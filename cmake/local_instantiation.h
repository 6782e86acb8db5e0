// Included ahead of every source of the Windows programs (cmake/win32.cmake). libstdc++ declares
// its std::string members as instantiated inside the library, so a program that uses a few of
// them links the library's whole std::string object (about 32 KB), every member kept alive by
// its unwind tables. Without those declarations each source instantiates the members it uses,
// and the linker keeps one copy of each.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
