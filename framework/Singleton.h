#pragma once
// One shared instance per class, created on first use and kept until the process ends.
// Function-local statics are initialised once even with several threads.

template <typename T>
class CSingleton {
public:
    static T& Instance()
    {
        static T instance;
        return instance;
    }

protected:
    CSingleton() = default;
    ~CSingleton() = default;

public:
    CSingleton(const CSingleton&) = delete;
    CSingleton& operator=(const CSingleton&) = delete;
};
