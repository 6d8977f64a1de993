#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>

namespace ds::db {

// Code page numbers as Windows names them. Two pseudo code pages stand for Unicode encodings.
namespace cp {
constexpr int Utf8 = 65001;
constexpr int Utf16LE = 1200;
constexpr int Dos437 = 437;
constexpr int Dos850 = 850;
constexpr int Windows1252 = 1252;
}  // namespace cp

// True when every byte is one character in this code page (the 8-bit DOS, Windows, ISO and Mac
// pages); the byte-level matcher is only used for these.
bool isSingleByteCodePage(int codePage);

// True when the code page can be decoded at all on this platform.
bool isKnownCodePage(int codePage);

// The 256 characters of a single-byte code page (undefined bytes map to themselves as U+00xx,
// as Windows does for 0x81 in 1252). Cached; safe to call from any thread.
const std::array<char16_t, 256>& singleByteTable(int codePage);

// Decodes text of the given code page (including the two Unicode pseudo pages). Unknown code
// pages are decoded as Windows-1252.
QString decodeText(const char* data, std::size_t size, int codePage);

// Encodes text into a code page; ok is false when a character has no representation there.
QByteArray encodeText(const QString& text, int codePage, bool* ok = nullptr);

}  // namespace ds::db
