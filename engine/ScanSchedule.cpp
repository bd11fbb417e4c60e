#include "engine/ScanSchedule.h"

#include "framework/Handles.h"

#include <mstask.h>
#include <objbase.h>

namespace {

bool ValidSetting(const ScanScheduleSetting& s)
{
    if (s.kind == ScheduleNone)
        return true;
    if ((s.kind != ScheduleDaily && s.kind != ScheduleWeekly) || s.hour < 0 || s.hour > 23 || s.minute < 0 ||
        s.minute > 59)
        return false;
    return s.kind == ScheduleDaily || (s.daysOfWeek >= 1 && s.daysOfWeek <= kAllDaysOfWeek);
}

bool CreateScheduler(ComPtr<ITaskScheduler>& scheduler)
{
    return SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                        scheduler.put_void()));
}

// The existing task, or a new one added to the scheduler.
bool OpenOrCreateTask(ITaskScheduler* scheduler, const ScanScheduleTask& task, ComPtr<ITask>& item)
{
    if (SUCCEEDED(scheduler->Activate(task.taskName.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(item.put()))))
        return true;
    if (FAILED(scheduler->NewWorkItem(task.taskName.c_str(), CLSID_CTask, IID_ITask,
                                      reinterpret_cast<IUnknown**>(item.put()))))
        return false;
    if (FAILED(item->SetApplicationName(task.application.c_str())) ||
        FAILED(item->SetAccountInformation(task.accountName.c_str(), nullptr)) ||
        FAILED(item->SetParameters(task.parameters.c_str())) ||
        FAILED(item->SetFlags(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON)) ||
        FAILED(scheduler->AddWorkItem(task.taskName.c_str(), item.get()))) {
        item.reset();
        return false;
    }
    return true;
}

bool ApplySetting(ITask* item, const ScanScheduleSetting& setting)
{
    WORD count = 0;
    if (FAILED(item->GetTriggerCount(&count)))
        return false;
    if (setting.kind == ScheduleNone) {
        for (; count > 0; --count)
            if (FAILED(item->DeleteTrigger(0)))
                return false;
        return true;
    }
    ComPtr<ITaskTrigger> trigger;
    WORD index = 0;
    const HRESULT got = count > 0 ? item->GetTrigger(0, trigger.put()) : item->CreateTrigger(&index, trigger.put());
    if (FAILED(got))
        return false;
    TASK_TRIGGER t{};
    t.cbTriggerSize = sizeof t;
    t.wBeginYear = 1999;
    t.wBeginMonth = 1;
    t.wBeginDay = 1;
    t.wStartHour = static_cast<WORD>(setting.hour);
    t.wStartMinute = static_cast<WORD>(setting.minute);
    t.TriggerType = static_cast<TASK_TRIGGER_TYPE>(setting.kind);
    if (setting.kind == ScheduleDaily) {
        t.Type.Daily.DaysInterval = 1;
    } else {
        t.Type.Weekly.WeeksInterval = 1;
        t.Type.Weekly.rgfDaysOfTheWeek = setting.daysOfWeek;
    }
    return SUCCEEDED(trigger->SetTrigger(&t));
}

}  // namespace

bool SetScanScheduleTask(const ScanScheduleTask& task, const ScanScheduleSetting& setting)
{
    if (!ValidSetting(setting))
        return false;
    ComInitializer com;
    ComPtr<ITaskScheduler> scheduler;
    ComPtr<ITask> item;
    if (!CreateScheduler(scheduler) || !OpenOrCreateTask(scheduler.get(), task, item))
        return false;
    if (!ApplySetting(item.get(), setting))
        return false;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(item.As(file)) && SUCCEEDED(file->Save(nullptr, TRUE));
}

bool RemoveScanScheduleTask(const std::wstring& taskName)
{
    ComInitializer com;
    ComPtr<ITaskScheduler> scheduler;
    if (!CreateScheduler(scheduler))
        return false;
    const HRESULT removed = scheduler->Delete(taskName.c_str());
    return SUCCEEDED(removed) || removed == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

ScheduleLookup GetScanScheduleTask(const std::wstring& taskName, ScanScheduleSetting& setting)
{
    ComInitializer com;
    ComPtr<ITaskScheduler> scheduler;
    if (!CreateScheduler(scheduler))
        return ScheduleLookup::Unavailable;
    ComPtr<ITask> item;
    const HRESULT activated =
        scheduler->Activate(taskName.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(item.put()));
    if (activated == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
        return ScheduleLookup::NoTask;
    if (FAILED(activated))
        return ScheduleLookup::Unavailable;
    ScanScheduleSetting found;
    WORD count = 0;
    if (FAILED(item->GetTriggerCount(&count)))
        return ScheduleLookup::Unavailable;
    if (count > 0) {
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER t{};
        t.cbTriggerSize = sizeof t;
        if (FAILED(item->GetTrigger(0, trigger.put())) || FAILED(trigger->GetTrigger(&t)))
            return ScheduleLookup::Unavailable;
        // A task saved without triggers is stored with one disabled placeholder trigger,
        // which comes back on load; it schedules nothing.
        if ((t.rgFlags & TASK_TRIGGER_FLAG_DISABLED) == 0) {
            found.kind = static_cast<int>(t.TriggerType);
            found.hour = t.wStartHour;
            found.minute = t.wStartMinute;
            found.daysOfWeek = t.TriggerType == TASK_TIME_TRIGGER_WEEKLY ? t.Type.Weekly.rgfDaysOfTheWeek : 0;
        }
    }
    setting = found;
    return ScheduleLookup::Found;
}
