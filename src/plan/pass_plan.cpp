#include "plan/pass_plan.h"

#include <cstring>

#include "base/message_ids.h"
#include "base/text.h"
#include "plan/entry_plans.h"
#include "script/section_walk.h"

int ProgressPercent(long long step, int stages, int perStage) {
    // A [SetUp] disks value of -6 or below leaves no stage to count in; the bar
    // then stays at its start rather than dividing by zero or by a negative count.
    if (stages <= 0 || perStage <= 0) return 0;
    return static_cast<int>(step * 100 / stages / perStage);
}

namespace {

int Walked(StepResult result) { return result == StepResult::Abort ? kAbort : kGoOn; }

class PassWalk {
public:
    PassWalk(ProfileReader& script, const ScriptTables& tables, bool removeMode, PlanSink& sink)
        : script_(script), tables_(tables), sink_(sink), context_{tables.optionCodes, removeMode} {}

    StepResult Run() {
        diskCount_ = script_.ReadInt("SetUp", "disks", 1);
        // The disk listed first is taken to be in the drive when the pass starts.
        TextBuffer disks;
        CopyText(inDrive_, "1");
        if (script_.ReadKeys("disks", disks) && disks.Text()[0]) CopyText(inDrive_, disks.Text());
        if (Walk("disks", 0, 0, DiskEntry) == kAbort) return StepResult::Abort;
        int count = tables_.componentCount;
        for (int k = 0; k < kActionKindCount; ++k) {
            const ActionSection& kind = kActionSections[k];
            for (int j = 0; j < count; ++j) {
                char section[kSectionNameSize];
                ComponentSectionName(section, kind, tables_.components[j]);
                kind_ = kind.kind;
                if (Walk(section, kind.keySeparator, kind.valueSeparator, ActionEntry) == kAbort)
                    return StepResult::Abort;
                long long step = (static_cast<long long>(k) + diskCount_) * count + j + 1;
                if (sink_.Done({kind.kind, ProgressPercent(step, diskCount_ + 6, count)}) == StepResult::Abort)
                    return StepResult::Abort;
            }
        }
        return StepResult::GoOn;
    }

private:
    int Walk(const char* section, char keySeparator, char valueSeparator, EntryVisitor visitor) {
        CopyText(section_, section);
        return WalkSection(script_, section, keySeparator, valueSeparator, visitor, this,
                           WalkReports{Unreadable, OutOfMemory});
    }

    RawEntry Entry(char** key, int keyCount, char** value, int valueCount) {
        const VisitedEntry* visited = CurrentEntry();
        const char* keyText = visited ? visited->key : "";
        return RawEntry{{section_, keyText, script_.Line(section_, keyText)}, key, keyCount, value, valueCount};
    }

    // One entry of [disks]: the copies of every component for that disk.
    static int DiskEntry(char** key, int, char**, int, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        // A cut key would match none of the copy entries of its disk: the
        // disk is put to the user rather than passed over unseen.
        if (!CopyText(walk.current_, key[0])) {
            walk.current_[0] = '\0';
            RefusedStep step = {walk.Entry(key, 1, key, 1).source, ActionKind::Copy, Refusal::TooLong,
                                MSG_CANNOT_CARRY_OUT, ""};
            return Walked(walk.sink_.Refused(step));
        }
        char disks[kSectionNameSize];
        CopyText(disks, walk.section_);
        int count = walk.tables_.componentCount;
        for (int i = 0; i < count; ++i) {
            char section[kSectionNameSize];
            ComponentSectionName(section, kCopySection, walk.tables_.components[i]);
            if (walk.Walk(section, kCopySection.keySeparator, kCopySection.valueSeparator, CopyEntry) == kAbort)
                return kAbort;
            long long step = static_cast<long long>(walk.diskIndex_) * count + i + 1;
            if (walk.sink_.Done({ActionKind::Copy, ProgressPercent(step, walk.diskCount_ + 6, count)}) ==
                StepResult::Abort)
                return kAbort;
        }
        CopyText(walk.section_, disks);
        walk.diskIndex_++;
        return kGoOn;
    }

    static int CopyEntry(char** key, int keyCount, char** value, int valueCount, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        RawEntry entry = walk.Entry(key, keyCount, value, valueCount);
        if (!CopyApplies(entry, walk.context_) || keyCount < 2 || std::strcmp(key[0], walk.current_) != 0)
            return Walked(walk.sink_.Passed(ActionKind::Copy, entry.source));
        if (std::strcmp(walk.current_, walk.inDrive_) != 0) {
            DiskStep step = {entry.source, walk.current_, walk.inDrive_, ""};
            TextBuffer label;
            walk.script_.ReadValue("disks", walk.current_, label);
            CopyText(step.label, label.Length() ? label.Text() : "1");
            if (walk.sink_.ChangeDisk(step) == StepResult::Abort) return kAbort;
            CopyText(walk.inDrive_, walk.current_);
        }
        return Walked(PlanCopy(entry, walk.context_, walk.sink_));
    }

    static int ActionEntry(char** key, int keyCount, char** value, int valueCount, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        return Walked(PlanAction(walk.kind_, walk.Entry(key, keyCount, value, valueCount), walk.context_, walk.sink_));
    }

    // An entry whose key or value is longer than the profile functions carry.
    static int Unreadable(void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        const VisitedEntry* visited = CurrentEntry();
        const char* key = visited ? visited->key : "";
        RefusedStep step = {{walk.section_, key, walk.script_.Line(walk.section_, key)}, walk.kind_,
                            Refusal::Unreadable, MSG_CANNOT_CARRY_OUT, ""};
        return Walked(walk.sink_.Refused(step));
    }

    static void OutOfMemory(void* context) { static_cast<PassWalk*>(context)->sink_.OutOfMemory(); }

    ProfileReader& script_;
    const ScriptTables& tables_;
    PlanSink& sink_;
    PlanContext context_;
    ActionKind kind_ = ActionKind::Copy;
    char section_[kSectionNameSize] = "";
    char current_[kDiskKeySize] = "";
    char inDrive_[kDiskKeySize] = "";
    int diskCount_ = 1;
    int diskIndex_ = 0;
};

}  // namespace

StepResult PlanInstallPass(ProfileReader& script, const ScriptTables& tables, bool removeMode, PlanSink& sink) {
    return PassWalk(script, tables, removeMode, sink).Run();
}
