#pragma once
// What the framework library shows its users. The library is built with
// hidden visibility; a class or function of its interface carries
// CORVANE_VCL_EXPORT, anything else stays inside.

#define CORVANE_VCL_EXPORT __attribute__((visibility("default")))
