// SPDX-License-Identifier: GPL-3.0-or-later
// The user's choices between runs: QSettings under the program's name (on
// Linux ~/.config/uct-sfp/uct-sfp.conf, on Windows the registry).
#include "layer.h"
#include "userint.h"

#include <QSettings>

#define STORE_ARGUMENTS                                                                                      \
    QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("uct-sfp"), QStringLiteral("uct-sfp")

int GetPreference(const char *key, int defaultValue)
{
    if (!uct::ui::initialized())
        return defaultValue;
    bool ok = false;
    const int value = QSettings(STORE_ARGUMENTS).value(QString::fromUtf8(key)).toInt(&ok);
    return ok ? value : defaultValue;
}

int SetPreference(const char *key, int value)
{
    if (!uct::ui::initialized())
        return UIE_NOT_INITIALIZED;
    QSettings settings(STORE_ARGUMENTS);
    settings.setValue(QString::fromUtf8(key), value);
    settings.sync();
    return settings.status() == QSettings::NoError ? UIE_NO_ERROR : UIE_FILE_NOT_FOUND;
}
