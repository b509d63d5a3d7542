#include "WindowSettings.h"

#include "TFPrincipal.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// Named after the components they fill.
const QString OrigemKey = QStringLiteral("FPrincipal/edtCaminhoOrigem");
const QString DestinoKey = QStringLiteral("FPrincipal/edtCaminhoDestino");
const QString SyncKey = QStringLiteral("FPrincipal/rdgSync");
const QString GeometryKey = QStringLiteral("FPrincipal/geometry");
const QString SendOnlyMissingKey = QStringLiteral("FPrincipal/EnviarSomenteFaltantes");

// A path the next run opens from whatever folder it starts in: a file named relative to the
// current folder becomes absolute. A server's host:/path, and a name the engine resolves itself
// (an alias), stay as typed.
QString Absolute(const QString& path) {
    const QFileInfo file(path);
    if (path.contains(QLatin1Char(':')) || !file.isRelative() || !file.exists()) return path;
    return QDir::cleanPath(file.absoluteFilePath());
}

// A path only when the file holds plain text for it.
void RestorePath(const QSettings& store, const QString& key, QLineEdit* field) {
    const QVariant value = store.value(key);
    if (value.typeId() == QMetaType::QString) field->setText(value.toString());
}

}  // namespace

WindowSettings::WindowSettings() : store_(std::make_unique<QSettings>()) {}

WindowSettings::WindowSettings(const QString& file) : store_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

WindowSettings::~WindowSettings() = default;

void WindowSettings::Restore(TFPrincipal& window, bool paths) const {
    if (store_->status() != QSettings::NoError) return;
    if (paths) {
        RestorePath(*store_, OrigemKey, window.edtCaminhoOrigem);
        RestorePath(*store_, DestinoKey, window.edtCaminhoDestino);
    }
    bool isNumber = false;
    const int method = store_->value(SyncKey).toInt(&isNumber);
    // An index the group does not have is ignored.
    if (isNumber && method >= 0) window.rdgSync->SetItemIndex(method);
    // Anything but a remembered yes leaves the box off.
    const QVariant sendOnlyMissing = store_->value(SendOnlyMissingKey);
    window.cbbEnviarSomenteFaltantes->setChecked(sendOnlyMissing.toString() == QLatin1String("true"));
    // Data that is no saved geometry is refused by the window itself, which then keeps its own.
    window.restoreGeometry(store_->value(GeometryKey).toByteArray());
}

void WindowSettings::RememberPaths(const QString& origem, const QString& destino) {
    store_->setValue(OrigemKey, Absolute(origem));
    store_->setValue(DestinoKey, Absolute(destino));
    // Written at once: a run that ends badly still leaves them for the next.
    store_->sync();
}

QString WindowSettings::Folder() const { return QFileInfo(store_->fileName()).absolutePath(); }

void WindowSettings::RememberWindow(const TFPrincipal& window) {
    store_->setValue(SyncKey, window.rdgSync->ItemIndex());
    store_->setValue(SendOnlyMissingKey, window.cbbEnviarSomenteFaltantes->isChecked());
    store_->setValue(GeometryKey, window.saveGeometry());
    store_->sync();
}
