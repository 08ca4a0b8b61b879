#include "editor/MainFormRules.h"

QStringList controlObjectNames(Control control)
{
    switch (control) {
    case Control::New: return {"FileNewMenu"};
    case Control::Open: return {"FileOpenMenu"};
    case Control::LoadFrom: return {"FileLoadFromMenu"};
    case Control::Save: return {"FileSaveMenu"};
    case Control::SaveAs: return {"FileSaveAsMenu"};
    case Control::Export: return {"FileExportMenu"};
    case Control::Close: return {"FileCloseMenu"};
    case Control::CloseAll: return {"FileCloseAllMenu"};
    case Control::Revert: return {"FileRevertMenu"};
    case Control::BatchExport: return {"BatchExportMenu"};
    case Control::SaveAsPodcast: return {"SaveAsPodcastMenu"};
    case Control::UploadPodcast: return {"UploadPodcastMenu"};
    case Control::Undo: return {"EditUndoMenu"};
    case Control::Redo: return {"EditRedoMenu"};
    case Control::Cut: return {"EditCutMenu"};
    case Control::Copy: return {"EditCopyMenu"};
    case Control::Paste: return {"EditPasteMenu"};
    case Control::Crop: return {"EditCropMenu"};
    case Control::CutToFile: return {"EditCutSelectionToFileMenu"};
    case Control::CopyToFile: return {"EditCopySelectionToFileMenu"};
    case Control::SelectAll: return {"EditSelectAllMenu"};
    case Control::SelectNone: return {"EditSelectNoneMenu"};
    case Control::Clear: return {"EditClearMenu"};
    case Control::Mute: return {"EditMuteMenu"};
    case Control::InsertSilence: return {"EditInsertSilenceMenu"};
    case Control::TrimSilence: return {"EditTrimSilenceMenu"};
    case Control::ChangeFormat: return {"EditChangeFormatMenu"};
    case Control::ViewItems:
        return {"ViewZoomInMenu",    "ViewZoomOutMenu",   "ViewZoomToExtentsMenu", "ViewZoomToSelectionMenu",
                "ZoomInButton",      "ZoomOutButton",     "ZoomToExtentsButton",   "ZoomToSelectionButton"};
    // The effect modules bring the items of the Effects menu and its popup; none are loaded yet.
    case Control::EffectsItems:
    case Control::EffectsPopupItems: return {};
    case Control::ToolsItems: return {"RecordCleanerMenu"};
    case Control::Preferences: return {"FilePreferencesMenu"};
    case Control::Play: return {"PlayButton"};
    case Control::PlayFromStart: return {"PlayFromStartButton"};
    case Control::SkipBack: return {"SkipToStartButton"};
    case Control::SkipForward: return {"SkipToEndButton"};
    case Control::Stop: return {"StopButton"};
    case Control::Rewind: return {"RewindButton"};
    case Control::Forward: return {"FastForwardButton"};
    case Control::Pause: return {"PauseButton"};
    case Control::Record: return {"StartStopRecordingButton"};
    case Control::AppRecord: return {"AppRecButton"};
    case Control::RecordingFormat: return {"RecSettingsButton"};
    case Control::Count: break;
    }
    return {};
}

std::vector<QRect> documentButtonRects(int count, int panelWidth, int panelHeight)
{
    std::vector<QRect> rects;
    if (count <= 0)
        return rects;
    int width = kDocumentButtonWidth;
    if (panelWidth < kDocumentButtonWidth)
        width = panelWidth;
    else if (int64_t(count) * kDocumentButtonWidth >= panelWidth)
        width = panelWidth / count;
    for (int i = 0; i < count; ++i)
        rects.emplace_back(i * width, 1, width, panelHeight - 1);
    return rects;
}

std::optional<DisplayPlace> displayForOverviewFrame(int frameLeft, int frameWidth, uint32_t overviewZoom,
                                                    int displayWidth, const DisplayPlace& shown)
{
    if (displayWidth <= 0 || frameWidth < 0 || frameLeft < 0)
        return std::nullopt;
    const uint64_t samples = uint64_t(frameWidth) * overviewZoom;
    const uint64_t zoom = (samples + uint64_t(displayWidth) - 1) / uint64_t(displayWidth);
    const uint64_t left = uint64_t(frameLeft) * overviewZoom;
    if (zoom == 0 || zoom > UINT32_MAX || left > UINT32_MAX)
        return std::nullopt;
    const DisplayPlace place{uint32_t(zoom), uint32_t(left)};
    if (place == shown)
        return std::nullopt;
    return place;
}
