#include "plan/action_kinds.h"

#include "base/text.h"

const ActionSection kCopySection = {ActionKind::Copy, "", ':', '/'};

const ActionSection kActionSections[kActionKindCount] = {
    {ActionKind::Font, "fot.", '\\', '/'},     {ActionKind::Ini, "ini.", '|', '/'},
    {ActionKind::TextLine, "str.", '|', '/'},  {ActionKind::Registry, "reg.", '|', '/'},
    {ActionKind::Group, "group.", '|', '/'},   {ActionKind::Delete, "del.", 0, '/'},
};

const char* ActionName(ActionKind kind) {
    switch (kind) {
        case ActionKind::Copy: return "copy";
        case ActionKind::Font: return "font";
        case ActionKind::Ini: return "ini";
        case ActionKind::TextLine: return "text";
        case ActionKind::Registry: return "registry";
        case ActionKind::Group: return "group";
        case ActionKind::Delete: return "delete";
    }
    return "";
}

void ComponentSectionName(char (&out)[kSectionNameSize], const ActionSection& kind, const ComponentEntry& component) {
    CopyText(out, kind.prefix);
    if (!component.selected) AppendText(out, "!");
    AppendText(out, component.section);
}
