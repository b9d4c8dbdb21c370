#include "mediatools/CSysCmdOpts.h"

CSysCmdOpts::CSysCmdOpts(const QString& program) {
    SetProgram(program);
}
