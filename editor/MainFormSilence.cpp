// The main window's Edit commands that ask for their parameters first: Mute, Trim Silence, Insert
// Silence and Change Format; and Tools > Record Cleaner.
#include "editor/MainForm.h"

#include "editor/FormatChoiceForm.h"
#include "editor/MuteForm.h"
#include "editor/SilenceForm.h"
#include "editor/TrimSilenceForm.h"

#include "controls/Waveform.h"
#include "platform/base/Rounding.h"
#include "common/Log.h"
#include "platform/codecs/VXFmtHlp.h"

#include <QMenu>

#include <algorithm>

namespace {
const QString kChooseFormatCaption = QStringLiteral("Choose Format");
const QString kChangingFormatCaption = QStringLiteral("Changing Format...");
} // namespace

void TMainForm::editMute()
{
    runEdit([this](TDocumentRecord& document) {
        TMuteForm dialog(document.waveFormat.channels == 1, m_services.help, this);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        return m_edit.mute(document, int(dialog.channels()));
    });
}

void TMainForm::editTrimSilence()
{
    runEdit([this](TDocumentRecord& document) {
        TTrimSilenceForm dialog(m_services.settings, m_services.messages, m_services.help, this);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        return m_edit.trimSilence(document, dialog.threshold());
    });
}

void TMainForm::editInsertSilence()
{
    if (busy())
        return;
    // Silence can start a document: without one, one is made as File > New makes it.
    if (!m_workspace.documents().current())
        fileNew();
    runEdit([this](TDocumentRecord& document) {
        TInsertSilenceForm dialog(m_services.settings, m_services.messages, m_services.help, this);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        const int64_t durationMs = platform::roundHalfEven(dialog.silenceTime() * 1000);
        std::pair<int64_t, int64_t> silence;
        const int code = m_edit.insertSilence(document, durationMs, &silence);
        if (code == 0 && currentDisplay()) {
            const auto total = int64_t(currentDisplay()->TotalSamples());
            const auto start = uint32_t(std::min(silence.first, total));
            const auto end = uint32_t(std::min(silence.second, total));
            m_view.setSelection(start, end);
            m_view.displaySelected(start, end);
        }
        return code;
    });
}

FormatConversion& TMainForm::formatConversion()
{
    if (!m_conversion) {
        m_formatLibrary = std::make_unique<platform::codecs::VXFmtHlp>();
        m_conversion = std::make_unique<FormatConversion>(
            m_services.runner, m_services.messages, m_services.settings, *m_formatLibrary,
            [this](const QString& caption, uint8_t* buffer, uint32_t* sizeCell, uint32_t flags) {
                const TDocumentRecord* document = m_workspace.documents().current();
                return TFormatChoiceForm::ask(this, caption, buffer, sizeCell, flags,
                                              document ? &document->waveFormat : nullptr);
            });
    }
    return *m_conversion;
}

void TMainForm::editChangeFormat()
{
    runEdit([this](TDocumentRecord& document) {
        return m_edit.changeFormat(document, [this](const QString& source, const QString& output) {
            return formatConversion().RunFormatConversion(source, output, {}, true, kChooseFormatCaption,
                                                          kChangingFormatCaption);
        });
    });
}

void TMainForm::recordCleaner()
{
    const auto* effects = findChild<QMenu*>(QStringLiteral("EffectsMenu"));
    for (QAction* effect : effects ? effects->actions() : QList<QAction*>())
        if (effect->text().contains(QStringLiteral("Glimdra"))) {
            effect->trigger();
            return;
        }
    qCInfo(lcCommon) << "no record cleaner among the effects";
}
