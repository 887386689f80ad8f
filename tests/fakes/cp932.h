// Code page 932 bytes to UTF-8, with the system's own converter.
#pragma once

#include <string>

// The UTF-8 form of `bytes`, or "<unconvertible>" when the converter refuses them.
std::string cp932_to_utf8(const std::string& bytes);
