#include "ui/TipsPanel.h"

TipsPanel::TipsPanel(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("tipsPanel"));
    setOpenExternalLinks(true);
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(12);
    document()->setIndentWidth(14);
    document()->setDefaultStyleSheet(
        QStringLiteral("h3 { color: #2b3a4d; margin-top: 10px; margin-bottom: 4px; }"
                       "p, li { color: #3b4654; }"
                       "b { color: #1f2a37; }"));
}

void TipsPanel::SetPage(const QString& html) {
    setHtml(html);
}
