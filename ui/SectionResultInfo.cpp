#include "ui/SectionResultInfo.h"

#include "res/resource.h"

UINT SeverityBitmapFor(int count)
{
    if (count > 120)
        return IDB_SEVERITY_5;
    if (count > 90)
        return IDB_SEVERITY_4;
    if (count > 60)
        return IDB_SEVERITY_3;
    if (count > 30)
        return IDB_SEVERITY_2;
    if (count > 0)
        return IDB_SEVERITY_1;
    return 0;
}
