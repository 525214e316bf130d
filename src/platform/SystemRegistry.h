#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A read-only registry in the shape the about box's look-ups expect: open a key, query a value
// into a caller's buffer (type and byte count come back), close the key. Results are 0 on
// success, as the system calls answer.
class SystemRegistry {
public:
    using Handle = std::uintptr_t;
    static constexpr std::uint32_t LocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE
    static constexpr std::uint32_t StringType = 1;            // REG_SZ
    static constexpr std::uint32_t NumberType = 4;            // REG_DWORD
    static constexpr long NotFound = 2;                       // ERROR_FILE_NOT_FOUND
    static constexpr long MoreData = 234;                     // ERROR_MORE_DATA

    virtual ~SystemRegistry() = default;
    virtual long openKey(std::uint32_t root, const QString& name, std::uint32_t access,
                         Handle& key) = 0;
    // buffer holds the caller's capacity on entry; size is that capacity on entry and the
    // number of bytes written on return.
    virtual long queryValue(Handle key, const QString& valueName, std::uint32_t& type,
                            QByteArray& buffer, std::uint32_t& size) = 0;
    virtual long closeKey(Handle key) = 0;
};

// On Linux the one key there is to read names the first system-information program found on
// PATH; the folder key of older systems does not exist.
class LinuxSystemRegistry : public SystemRegistry {
public:
    long openKey(std::uint32_t root, const QString& name, std::uint32_t access,
                 Handle& key) override;
    long queryValue(Handle key, const QString& valueName, std::uint32_t& type, QByteArray& buffer,
                    std::uint32_t& size) override;
    long closeKey(Handle key) override;

    // The full path of the first system-information program on PATH, or empty.
    static QString systemInformationTool();
};
