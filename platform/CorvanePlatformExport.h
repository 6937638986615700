#pragma once
// What the platform library (the kernel, COM and shell stand-ins) shows its
// users. The library is built with hidden visibility; a class or function
// of its interface carries CORVANE_PLATFORM_EXPORT, anything else stays
// inside.

#define CORVANE_PLATFORM_EXPORT __attribute__((visibility("default")))
