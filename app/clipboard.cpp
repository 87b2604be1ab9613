#include "app/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "app/qt_text.h"

namespace quotidia {

namespace {
bool& ClipboardFails() {
    static bool fails = false;
    return fails;
}
}  // namespace

bool PutTextOnClipboard(const Text& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (ClipboardFails() || !clipboard) return false;
    const QString unicode = ToQString(text);
    auto* data = new QMimeData;
    data->setText(unicode);
    data->setData("text/plain;charset=GBK", QByteArray(text.c_str(), static_cast<qsizetype>(text.size())));
    clipboard->setMimeData(data);
    // The platform may drop what it cannot hold; only what reads back counts.
    return clipboard->text() == unicode;
}

void SetClipboardFailsForTesting(bool fails) { ClipboardFails() = fails; }

}  // namespace quotidia
