#pragma once
// Making a command-line builder from its class name, for callers that name
// the tool in text. The base class knows none of its subclasses; this file
// knows them all.
//
// Threads: any thread; the builder made belongs to the caller's thread.

#include "mediatools/CCmdOpts.h"

#include <QString>

#include <memory>

// Creates a builder from its class name ("CMPlayerOpts", ...) with default
// tool locations; null for an unknown name.
std::unique_ptr<CCmdOpts> CreateCmdOpts(const QString& className);
