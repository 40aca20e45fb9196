// SPDX-License-Identifier: GPL-3.0-or-later
// The resource file parser over any bytes: a model or a reason, never a
// crash or a hang (libFuzzer's -timeout catches the hang).
#include "uirmodel.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString why;
    std::optional<uir::Model> model =
        uir::parse(QByteArray::fromRawData(reinterpret_cast<const char *>(data), (qsizetype)size), &why);
    // A refused file always says why.
    if (!model && why.isEmpty())
        abort();
    if (model) {
        // Every panel and control the model offers can be looked up again.
        for (const uir::Panel &panel : model->panels) {
            if (model->panel(panel.number) != &panel)
                abort();
            for (const uir::Control &control : panel.controls)
                if (panel.control(control.number) != &control || panel.control(control.name) != &control)
                    abort();
        }
        model->callbackNames();
    }
    return 0;
}
