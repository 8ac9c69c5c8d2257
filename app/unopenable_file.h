// Why a name a person chose or dropped cannot be opened for reading.
#pragma once
#include <string>

// The message for a name that is there but is no regular file: a folder,
// a FIFO or device (which reading would wait on), a link to nothing. ""
// for a regular file and for a name that is simply missing. CP932.
std::string CannotOpenReason(const std::string& name);
