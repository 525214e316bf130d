#pragma once

#include "platform/SystemRegistry.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// Scripted registry: keys hold values of a type and raw bytes, with the byte count the query
// reports; every open and close is counted.
class FakeSystemRegistry : public SystemRegistry {
public:
    struct Value {
        std::uint32_t type = StringType;
        QByteArray bytes;
        std::uint32_t reportedSize = 0;
    };
    QMap<QString, QMap<QString, Value>> keys; // key name -> value name -> value
    long failOpen = 0;                        // non-zero: every open answers this
    long failQuery = 0;                       // non-zero: every query answers this
    int opened = 0;
    int closed = 0;

    void setString(const QString& key, const QString& name, const QByteArray& bytes,
                   bool countNul) {
        keys[key][name] =
            Value{StringType, bytes + '\0', std::uint32_t(bytes.size() + (countNul ? 1 : 0))};
    }

    long openKey(std::uint32_t root, const QString& name, std::uint32_t, Handle& key) override {
        if (failOpen)
            return failOpen;
        if (root != LocalMachine || !keys.contains(name))
            return NotFound;
        handles << name;
        key = Handle(handles.size());
        ++opened;
        return 0;
    }
    long queryValue(Handle key, const QString& valueName, std::uint32_t& type, QByteArray& buffer,
                    std::uint32_t& size) override {
        if (failQuery)
            return failQuery;
        const auto& values = keys[handles.value(qsizetype(key) - 1)];
        if (!values.contains(valueName))
            return NotFound;
        const Value& value = values[valueName];
        if (value.bytes.size() > buffer.size())
            return MoreData;
        buffer.replace(0, value.bytes.size(), value.bytes);
        type = value.type;
        size = value.reportedSize;
        return 0;
    }
    long closeKey(Handle) override {
        ++closed;
        return 0;
    }

private:
    QList<QString> handles;
};
