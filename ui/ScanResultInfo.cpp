#include "ui/ScanResultInfo.h"

const std::wstring& CScanResultInfo::DetailSource() const
{
    const bool registryProblem = Problem.ErrorType == InvalidValue || Problem.ErrorType == EmptyKey;
    return registryProblem ? Problem.Reason : Problem.Subject;
}

std::wstring CScanResultInfo::DetailText() const
{
    const std::wstring& source = DetailSource();
    std::wstring text;
    text.reserve(source.size() + source.size() / 8);
    for (const wchar_t c : source) {
        text += c;
        if (c == L'\\')
            text += L' ';
    }
    return text;
}

std::wstring CScanResultInfo::SpokenText() const
{
    const std::wstring& detail = DetailSource();
    return detail.empty() ? Problem.Summary : Problem.Summary + L": " + detail;
}
