#pragma once
// What the component package shows its users (both generations of it). The
// package is built with hidden visibility; a class or function of its
// interface carries KWCORVANE_EXPORT, anything else stays inside.

#define KWCORVANE_EXPORT __attribute__((visibility("default")))
