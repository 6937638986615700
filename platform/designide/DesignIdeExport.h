#pragma once
// What the design-time library shows its users (packages and hosts). The
// library is built with hidden visibility; a class or function of its
// interface carries CORVANE_DESIGNIDE_EXPORT.

#define CORVANE_DESIGNIDE_EXPORT __attribute__((visibility("default")))
