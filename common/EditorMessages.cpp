#include "common/EditorMessages.h"

#include "common/Log.h"

const platform::StringTable& editorStringTable()
{
    static const platform::StringTable table = [] {
        platform::StringTable t;
        if (!t.load(QString::fromLatin1(kEditorStringTablePath)))
            qCCritical(lcCommon) << "the editor's message texts are missing; no message can be shown";
        return t;
    }();
    return table;
}

platform::Messages makeEditorMessages(platform::Interaction& interaction)
{
    return platform::Messages(editorStringTable(), interaction, QString::fromLatin1(kEditorCaption));
}
