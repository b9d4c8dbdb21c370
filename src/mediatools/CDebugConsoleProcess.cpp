#include "mediatools/CDebugConsoleProcess.h"

#include <QDebug>

CDebugConsoleProcess::~CDebugConsoleProcess() {
    Close();
}

void CDebugConsoleProcess::OnOutput(const char* chunk) {
    qDebug().noquote() << QString::fromUtf8(chunk);
}

void CDebugConsoleProcess::OnError(const char* text) {
    qDebug().noquote() << QString::fromUtf8(text);
}
