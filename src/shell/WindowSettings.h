#pragma once

#include <QString>
#include <memory>

class QSettings;
class TFPrincipal;

// What the main window remembers between runs: the last two paths that connected, its size and
// place, and the synchronisation method. A value that cannot be read back is left out, so a
// damaged settings file costs the user only what it held.
class WindowSettings {
public:
    // The user's own settings file, in the system's standard place for them.
    WindowSettings();
    // A settings file of the caller's choosing.
    explicit WindowSettings(const QString& file);
    ~WindowSettings();

    // Puts what was remembered into the window; the paths only when asked, since paths given on
    // the command line take their place.
    void Restore(TFPrincipal& window, bool paths) const;
    // Relative file names are remembered absolute.
    void RememberPaths(const QString& origem, const QString& destino);
    void RememberWindow(const TFPrincipal& window);
    // The folder of the settings file, where what is kept per database lives beside it.
    QString Folder() const;

private:
    std::unique_ptr<QSettings> store_;
};
