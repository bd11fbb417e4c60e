#include "ui/ScanResultInfo.h"

std::wstring CScanResultInfo::DetailText() const
{
    const bool registryProblem = Problem.ErrorType == InvalidValue || Problem.ErrorType == EmptyKey;
    const std::wstring& source = registryProblem ? Problem.Reason : Problem.Subject;
    std::wstring text;
    text.reserve(source.size() + source.size() / 8);
    for (const wchar_t c : source) {
        text += c;
        if (c == L'\\')
            text += L' ';
    }
    return text;
}
