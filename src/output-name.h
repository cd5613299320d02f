// Derivation of the encoder's output name from an input name.
#pragma once

#include <array>
#include <string>

// For each byte value: does it start a double-byte character in the narrow code page?
using LeadByteTable = std::array<bool, 256>;

// The input name with its extension replaced by ".aifr". The extension starts at the
// last full stop, unless a backslash or colon comes after it; the second byte of a
// double-byte character never counts as any of the three.
std::string OutputName(const std::string& inputName, const LeadByteTable& leadBytes);
