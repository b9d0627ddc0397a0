// The installer's executor: takes the steps of an install pass's plan one at
// a time and carries each out on the machine, asking the user where a step
// needs an answer, recording every change in the removal log before it is
// made, and reporting every change the platform refuses.
#pragma once

#include "plan/plan_steps.h"

class PassExecutor : public PlanSink {
public:
    StepResult Passed(ActionKind kind, const EntrySource& source) override;
    StepResult Refused(const RefusedStep& step) override;
    StepResult ChangeDisk(const DiskStep& step) override;
    StepResult Copy(const CopyStep& step) override;
    StepResult Font(const FontStep& step) override;
    StepResult Ini(const FileStep& step) override;
    StepResult TextLine(const FileStep& step) override;
    StepResult Registry(const RegistryStep& step) override;
    StepResult Group(const GroupStep& step) override;
    StepResult Delete(const DeleteStep& step) override;
    StepResult Done(const SectionDone& step) override;
    void OutOfMemory() override;

private:
    bool cancelTested_ = false;  // by the disk change of the copy entry that comes next
};
