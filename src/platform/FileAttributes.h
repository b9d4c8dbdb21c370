#pragma once
// Extended attributes and space reservation of an open file. Both are
// optional features of a file system: where one is missing the calls fail
// quietly (false / nullopt) and the caller does without.
//
// Threads: any thread; each call works on the descriptor it is given.

#include <QByteArray>

#include <optional>

// The freedesktop attribute naming where a downloaded file came from.
inline constexpr const char* kOriginUrlAttribute = "user.xdg.origin.url";
// The page the download was made from.
inline constexpr const char* kReferrerUrlAttribute = "user.xdg.referrer.url";

// Sets attribute `name` of the file open at `fd`; an empty `value` removes
// it. False when the file system keeps no user attributes.
bool SetFileAttribute(int fd, const char* name, const QByteArray& value);
// The attribute's value; nullopt when it is not set or cannot be read.
std::optional<QByteArray> FileAttribute(int fd, const char* name);

// Allocates the blocks of [offset, offset + length) without changing the
// file's size (what lies past the end stays invisible until written). False
// with errno set; EOPNOTSUPP when the file system cannot.
bool ReserveFileSpace(int fd, long long offset, long long length);
