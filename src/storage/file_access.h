#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include <QString>

#include "model/editor_state.h"

namespace velmora {

// Reads a whole file with read-only access. A file longer than an image can
// be (32-bit signed length) is refused before anything is allocated, and so is
// anything but a regular file (a FIFO, socket or device), without blocking.
// Throws FileError with the code matching the failure ("File not found", ...),
// EditorError for the two refusals.
std::vector<uint8_t> readWholeFile(const QString &path);

// Reads a whole file as readWholeFile does, into memory that is not zeroed
// first: what Open makes the image of.
ImageStore readImageFile(const QString &path);

// A whole file as a private mapping: its pages are read when touched, and a
// write into them stays in this process. For the command line, whose
// subcommands look at a small part of an image; the same refusals as
// readWholeFile.
ImageStore mapImageFile(const QString &path);

// Reads at most maxBytes from the start of a regular file, read-only; any
// length of file is accepted since only the head is kept.
std::vector<uint8_t> readFileHead(const QString &path, int64_t maxBytes);

// Makes bytes the whole content of path. The bytes go to a temporary file
// beside the target, which replaces the target only after every byte was
// written: a failed write leaves an existing file as it was. Throws FileError,
// or EditorError ("Folder X does not exist") when the folder is missing.
void writeWholeFile(const QString &path, std::span<const uint8_t> bytes);

// The size and modification time of the file at path now, under that path;
// an empty stamp when it cannot be looked at.
FileStamp stampOf(const QString &path);

// True when something other than a directory exists at path.
bool fileExists(const QString &path);

} // namespace velmora
