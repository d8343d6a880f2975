#include "can/adapterlibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

AdapterLibrary::~AdapterLibrary()
{
    unload();
}

QString AdapterLibrary::resolveFileName(const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || !QCoreApplication::instance())
        return name;
    const QDir beside(QCoreApplication::applicationDirPath());
#if defined(Q_OS_WIN)
    const QString candidate
        = beside.filePath(name.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive)
                              ? name
                              : name + QLatin1String(".dll"));
#else
    const QString candidate = beside.filePath(QLatin1String("lib") + name + QLatin1String(".so"));
#endif
    return QFileInfo::exists(candidate) ? candidate : name;
}

bool AdapterLibrary::load(const QString &fileName)
{
    unload();
    m_fileName = resolveFileName(fileName);
    m_error.clear();
    m_missing.clear();
    m_library.setFileName(m_fileName);
    if (!m_library.load()) {
        m_error = QStringLiteral("%1: %2").arg(m_fileName, m_library.errorString());
        return false;
    }
    for (const Binding &binding : m_bindings) {
        const QFunctionPointer f = m_library.resolve(binding.name);
        if (!f && binding.need == Required) {
            m_missing = QString::fromLatin1(binding.name);
            m_error = QStringLiteral("%1: missing function %2").arg(m_fileName, m_missing);
            unload();
            return false;
        }
        binding.assign(f);
    }
    return true;
}

void AdapterLibrary::unload()
{
    clearBindings();
    if (m_library.isLoaded())
        m_library.unload();
}

void AdapterLibrary::clearBindings()
{
    for (const Binding &binding : m_bindings)
        binding.assign(nullptr);
}
