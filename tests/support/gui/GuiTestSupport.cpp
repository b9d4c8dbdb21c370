#include "support/gui/GuiTestSupport.h"

#include "support/XvfbDisplay.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTableView>
#include <QWidget>

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "zorv-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

XvfbTestEnvironment::XvfbTestEnvironment() = default;
XvfbTestEnvironment::~XvfbTestEnvironment() = default;

void XvfbTestEnvironment::SetUp() {
    display_ = std::make_unique<XvfbDisplay>();
    QString error;
    ASSERT_TRUE(display_->Start(&error)) << error.toStdString();
    qputenv("DISPLAY", display_->Name().toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
}

void XvfbTestEnvironment::TearDown() {
    display_.reset();
}

bool SaveScreenshot(QWidget& window, const QString& name, bool fromScreen) {
    const QString folder =
        qEnvironmentVariable("ZORV_TEST_BINARY_DIR", QDir::currentPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name;
    const QPixmap picture = fromScreen ? window.screen()->grabWindow(window.winId()) : window.grab();
    return picture.save(path) && QFileInfo(path).size() > 0;
}

namespace {
// Gives the test the tab size the bar itself would ask for, unelided.
struct TabBarAccess : QTabBar {
    using QTabBar::tabSizeHint;
};

int Lines(const QString& text) {
    return static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
}

// The height `lines` lines of text take in `font`.
int TextHeight(const QFont& font, int lines) {
    const QFontMetrics metrics(font);
    return lines * metrics.height() + (lines - 1) * metrics.leading();
}

QString Describe(const QString& text, const char* what, int has, int needs) {
    return QStringLiteral("%1 [%2 %3 < %4]").arg(text, QLatin1String(what)).arg(has).arg(needs);
}

// Where a button of the given kind draws its text.
QRect ButtonTextArea(QAbstractButton* button) {
    QStyle* style = button->style();
    if (auto* push = qobject_cast<QPushButton*>(button)) {
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        option.icon = push->icon();
        option.iconSize = push->iconSize();
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, push);
    }
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool check = qobject_cast<QCheckBox*>(button) != nullptr;
        return style->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents,
                                     &option, button);
    }
    return button->contentsRect();
}
} // namespace

// Texts of `page` that its widgets do not show whole: labels and buttons
// (push buttons, check boxes, radio and tool buttons) narrower than their
// text or lower than its lines, group boxes whose title does not fit, and
// tabs narrower than their title or scrolled out of their bar.
QStringList CutTexts(QWidget* page) {
    QStringList cut;
    QList<QWidget*> widgets = page->findChildren<QWidget*>();
    widgets.prepend(page);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(page) && w != page)
            continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString text = label->text();
            if (text.isEmpty())
                continue;
            if (w->width() < w->sizeHint().width())
                cut << Describe(text, "width", w->width(), w->sizeHint().width());
            else if (label->wordWrap() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(text)) {
                const int needs = label->heightForWidth(label->width());
                if (needs > 0 && label->height() < needs)
                    cut << Describe(text, "height", label->height(), needs);
            } else if (label->contentsRect().height() < TextHeight(label->font(), Lines(text))) {
                cut << Describe(text, "height", label->contentsRect().height(),
                                TextHeight(label->font(), Lines(text)));
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QString text = button->text();
            if (text.isEmpty())
                continue;
            if (w->width() < w->sizeHint().width()) {
                cut << Describe(text, "width", w->width(), w->sizeHint().width());
                continue;
            }
            const int area = ButtonTextArea(button).height();
            if (area < TextHeight(button->font(), Lines(text)))
                cut << Describe(text, "height", area, TextHeight(button->font(), Lines(text)));
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            const QString title = box->title();
            if (title.isEmpty())
                continue;
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = title;
            option.lineWidth = 1;
            option.textAlignment = box->alignment();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            if (box->isCheckable())
                option.subControls |= QStyle::SC_GroupBoxCheckBox;
            const QRect label =
                box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
            const QSize needs = QFontMetrics(box->font()).size(Qt::TextShowMnemonic, title);
            if (label.right() > box->rect().right() || label.width() < needs.width())
                cut << Describe(title, "title width", box->width() - label.left(), needs.width());
            else if (label.top() < 0 || label.height() < needs.height())
                cut << Describe(title, "title height", label.height(), needs.height());
            else if (box->width() < box->minimumSizeHint().width())
                cut << Describe(title, "box width", box->width(), box->minimumSizeHint().width());
        } else if (auto* table = qobject_cast<QTableView*>(w); table && table->model()) {
            // Column heads and the cells of the rows in view; a column the
            // view shortens on purpose (its "elidedColumn", whole in a tool
            // tip) is left out, and so are hidden columns.
            const QAbstractItemModel* model = table->model();
            const QVariant elided = table->property("elidedColumn");
            const int margin =
                2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
            const QFontMetrics heads(table->horizontalHeader()->font());
            for (int column = 0; column < model->columnCount(); ++column) {
                if (table->isColumnHidden(column) || (elided.isValid() && elided.toInt() == column))
                    continue;
                const QString head = model->headerData(column, Qt::Horizontal).toString();
                if (!head.isEmpty() && table->columnWidth(column) < heads.horizontalAdvance(head) + margin)
                    cut << Describe(head, "column head width", table->columnWidth(column),
                                    heads.horizontalAdvance(head) + margin);
                for (int row = 0; row < model->rowCount(); ++row) {
                    const QModelIndex index = model->index(row, column);
                    const QString text = index.data(Qt::DisplayRole).toString();
                    const QRect cell = table->visualRect(index);
                    if (text.isEmpty() || !table->viewport()->rect().intersects(cell))
                        continue;
                    const int needs = table->fontMetrics().horizontalAdvance(text) + margin;
                    if (cell.width() < needs)
                        cut << Describe(text, "cell width", cell.width(), needs);
                }
            }
        } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
            const auto tabSizeHint = &TabBarAccess::tabSizeHint;
            for (int i = 0; i < bar->count(); ++i) {
                const QString text = bar->tabText(i);
                const QRect tab = bar->tabRect(i);
                const QSize needs = (bar->*tabSizeHint)(i);
                if (!bar->rect().contains(tab))
                    cut << Describe(text, "tab outside its bar", bar->width(), tab.right() + 1);
                else if (tab.width() < needs.width())
                    cut << Describe(text, "tab width", tab.width(), needs.width());
                else if (tab.height() < needs.height())
                    cut << Describe(text, "tab height", tab.height(), needs.height());
            }
        }
    }
    return cut;
}
