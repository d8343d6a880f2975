#pragma once

#include <QLibrary>
#include <QString>

#include <functional>
#include <vector>

// A vendor library loaded at run time with its entry points. Required entry points must all
// resolve or the load fails; optional ones may stay null and callers check them. After a failed
// load or unload every bound entry point is null again, so no caller can keep a dangling one.
// Not thread-safe: the owner serialises load, unload and calls.
class AdapterLibrary
{
public:
    enum Need { Required, Optional };

    AdapterLibrary() = default;
    ~AdapterLibrary();
    AdapterLibrary(const AdapterLibrary &) = delete;
    AdapterLibrary &operator=(const AdapterLibrary &) = delete;

    // Binds `*slot` to the entry point `name` for the next load().
    template<typename Fn>
    void bind(const char *name, Fn *slot, Need need = Required)
    {
        *slot = nullptr;
        m_bindings.push_back({name, need, [slot](QFunctionPointer f) {
                                  *slot = reinterpret_cast<Fn>(f);
                              }});
    }

    // Loads `fileName` (a path, or a base name the platform's suffix and search path complete)
    // and resolves every bound entry point. On failure errorString() names the file tried and
    // the reason, and missingFunction() the first required entry point not found, if any.
    bool load(const QString &fileName);
    void unload();
    bool isLoaded() const { return m_library.isLoaded(); }
    QString fileName() const { return m_fileName; }
    QString errorString() const { return m_error; }
    QString missingFunction() const { return m_missing; }

    // The file QLibrary is given for `name`: a bare name found beside the program is taken from
    // there first (the vendor's DLL shipped with Tarvik wins over one on the search path).
    static QString resolveFileName(const QString &name);

private:
    struct Binding
    {
        const char *name;
        Need need;
        std::function<void(QFunctionPointer)> assign;
    };

    void clearBindings();

    QLibrary m_library;
    std::vector<Binding> m_bindings;
    QString m_fileName;
    QString m_error;
    QString m_missing;
};
