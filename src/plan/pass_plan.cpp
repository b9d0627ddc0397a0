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

class PassWalk {
public:
    PassWalk(ProfileReader& script, const ScriptTables& tables, bool removeMode, bool every, PlanSink& sink)
        : script_(script), tables_(tables), sink_(sink), context_{tables.optionCodes, removeMode, every} {}

    StepResult Run() {
        diskCount_ = script_.ReadInt("SetUp", "disks", 1);
        // The disk listed first is taken to be in the drive when the pass starts.
        TextBuffer disks;
        CopyText(inDrive_, "1");
        if (script_.ReadKeys("disks", disks) && disks.Text()[0]) CopyText(inDrive_, disks.Text());
        if (Walk("disks", 0, 0, DiskEntry) == StepResult::Abort) return StepResult::Abort;
        int count = tables_.componentCount;
        for (int k = 0; k < kActionKindCount; ++k) {
            const ActionSection& kind = kActionSections[k];
            for (int j = 0; j < count; ++j) {
                kind_ = kind.kind;
                if (WalkComponent(kind, tables_.components[j], ActionEntry) == StepResult::Abort)
                    return StepResult::Abort;
                long long step = (static_cast<long long>(k) + diskCount_) * count + j + 1;
                if (sink_.Done({kind.kind, ProgressPercent(step, diskCount_ + 6, count)}) == StepResult::Abort)
                    return StepResult::Abort;
            }
        }
        return StepResult::GoOn;
    }

private:
    // The component's section of a kind: under the name its choice gives,
    // or, looking at every entry, under both.
    StepResult WalkComponent(const ActionSection& kind, const ComponentEntry& component, EntryVisitor visitor) {
        for (int left = 0; left < (context_.everyEntry ? 2 : 1); ++left) {
            ComponentEntry named = component;
            if (context_.everyEntry) named.selected = !left;
            char section[kSectionNameSize];
            ComponentSectionName(section, kind, named);
            if (Walk(section, kind.keySeparator, kind.valueSeparator, visitor) == StepResult::Abort)
                return StepResult::Abort;
        }
        return StepResult::GoOn;
    }

    StepResult Walk(const char* section, char keySeparator, char valueSeparator, EntryVisitor visitor) {
        return WalkSection(script_, section, keySeparator, valueSeparator, visitor, this,
                           WalkReports{Unreadable, OutOfMemory});
    }

    // One entry of [disks]: the copies of every component for that disk.
    static StepResult DiskEntry(SectionEntry& entry, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        // A cut key would match none of the copy entries of its disk: the
        // disk is put to the user rather than passed over unseen.
        if (!CopyText(walk.current_, entry.keyFields[0])) {
            walk.current_[0] = '\0';
            return RefuseEntry(walk.sink_, entry, ActionKind::Copy, Refusal::TooLong, MSG_CANNOT_CARRY_OUT,
                               RefusedPiece::Disk, kDiskKeySize - 1);
        }
        int count = walk.tables_.componentCount;
        for (int i = 0; i < count; ++i) {
            if (walk.WalkComponent(kCopySection, walk.tables_.components[i], CopyEntry) == StepResult::Abort)
                return StepResult::Abort;
            long long step = static_cast<long long>(walk.diskIndex_) * count + i + 1;
            if (walk.sink_.Done({ActionKind::Copy, ProgressPercent(step, walk.diskCount_ + 6, count)}) ==
                StepResult::Abort)
                return StepResult::Abort;
        }
        walk.diskIndex_++;
        return StepResult::GoOn;
    }

    static StepResult CopyEntry(SectionEntry& entry, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        if (!CopyApplies(entry, walk.context_) || entry.keyCount < 2)
            return walk.sink_.Passed(ActionKind::Copy, SourceOf(entry));
        // A file split over disks is copied in the pass of the disk that holds
        // its first piece; the disk of its last piece is in the drive after it.
        const char* field = entry.keyFields[0];
        CopyDisks disks;
        bool split = std::strcmp(field, walk.current_) != 0 && std::strchr(field, '+');
        bool listed = split && ReadCopyDisks(walk.script_, field, disks);
        if (split ? std::strcmp(disks.keys[0], walk.current_) != 0 : std::strcmp(field, walk.current_) != 0)
            return walk.sink_.Passed(ActionKind::Copy, SourceOf(entry));
        if (split && !listed)
            return RefuseEntry(walk.sink_, entry, ActionKind::Copy, Refusal::UnknownDisk, MSG_CANNOT_CARRY_OUT,
                               RefusedPiece::Disk);
        if (std::strcmp(walk.current_, walk.inDrive_) != 0) {
            DiskStep step = {SourceOf(entry), walk.current_, walk.inDrive_, ""};
            TextBuffer label;
            walk.script_.ReadValue("disks", walk.current_, label);
            CopyText(step.label, label.Length() ? label.Text() : "1");
            if (walk.sink_.ChangeDisk(step) == StepResult::Abort) return StepResult::Abort;
            CopyText(walk.inDrive_, walk.current_);
        }
        if (!split) return PlanCopy(entry, walk.context_, walk.sink_);
        StepResult result = PlanCopy(entry, walk.context_, walk.sink_, &disks);
        CopyText(walk.inDrive_, disks.keys[disks.count - 1]);
        return result;
    }

    static StepResult ActionEntry(SectionEntry& entry, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        return PlanAction(walk.kind_, entry, walk.context_, walk.sink_);
    }

    // An entry whose key or value is longer than the profile functions carry.
    static StepResult Unreadable(SectionEntry& entry, void* context) {
        PassWalk& walk = *static_cast<PassWalk*>(context);
        return RefuseEntry(walk.sink_, entry, walk.kind_, Refusal::Unreadable, MSG_CANNOT_CARRY_OUT);
    }

    static void OutOfMemory(void* context) { static_cast<PassWalk*>(context)->sink_.OutOfMemory(); }

    ProfileReader& script_;
    const ScriptTables& tables_;
    PlanSink& sink_;
    PlanContext context_;
    ActionKind kind_ = ActionKind::Copy;
    char current_[kDiskKeySize] = "";
    char inDrive_[kDiskKeySize] = "";
    int diskCount_ = 1;
    int diskIndex_ = 0;
};

}  // namespace

StepResult PlanInstallPass(ProfileReader& script, const ScriptTables& tables, bool removeMode, PlanSink& sink) {
    return PassWalk(script, tables, removeMode, false, sink).Run();
}

StepResult PlanEveryEntry(ProfileReader& script, const ScriptTables& tables, PlanSink& sink) {
    return PassWalk(script, tables, false, true, sink).Run();
}
