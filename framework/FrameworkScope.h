#pragma once
// A framework, and with it the engine it starts, for the lifetime of a scope:
// made when the scope is made, destroyed (which stops the engine) when it
// ends, unless it was handed on with release(). Programs set their renderer
// and application on it; a failure on the way leaves no engine behind.

#include "framework/FrameworkConfig.h"

namespace framework {

class Vorna3DFramework;

class FrameworkScope {
public:
    // Creates the framework from `config` (plain new), which starts the
    // engine. Throws what the framework's constructor throws; it has
    // reported and undone its own failure then.
    explicit FrameworkScope(const FrameworkConfig& config);

    // Takes over a framework created with plain new; null holds none.
    explicit FrameworkScope(Vorna3DFramework* framework);

    // Destroys the framework unless it was released or stopped. A failure
    // is thrown, except while another exception unwinds the scope: that
    // one is the error to report, and the shut-down's is dropped (the
    // framework has printed its own line for it).
    ~FrameworkScope() noexcept(false);

    FrameworkScope(const FrameworkScope&) = delete;
    FrameworkScope& operator=(const FrameworkScope&) = delete;

    // The framework; requires one (not released or stopped).
    Vorna3DFramework* operator->() const;
    Vorna3DFramework& operator*() const;
    Vorna3DFramework* get() const { return m_framework; }

    // Hands the framework to the caller, who destroys it; the scope then
    // holds none.
    Vorna3DFramework* release();

    // Destroys the framework now, so that a program can report a failed
    // shut-down itself; does nothing when the scope holds none. Throws what
    // the framework's destructor throws; the scope holds none all the same.
    void stop();

private:
    Vorna3DFramework* m_framework;
    int m_uncaughtAtStart;
};

} // namespace framework
