#pragma once

#include "libs/zorir/BasicSignal.h"
#include "libs/zorir/Connection.h"

#include <memory>
#include <vector>

namespace Zorir {

namespace Detail {

// The connections of one signal, in connection order, owned by it.
// Emission walks a snapshot: a handler may disconnect, destroy or connect
// targets, or destroy the signal itself, and the walk neither touches freed
// memory nor calls a connection that has been removed meanwhile.
template <class Connection>
class ConnectionList : public BasicSignal {
public:
    ~ConnectionList() override
    {
        for (const auto& entry : entries_) {
            entry->removed = true;
            entry->connection->target()->removeSignal(this);
        }
    }

    void disconnect(SlotHolder* holder) override
    {
        std::erase_if(entries_, [holder](const std::shared_ptr<Entry>& entry) {
            if (entry->connection->target() != holder) return false;
            entry->removed = true;
            return true;
        });
        holder->removeSignal(this);
    }

    void retarget(SlotHolder* oldHolder, SlotHolder* newHolder) override
    {
        std::vector<Connection*> copies;
        for (const auto& entry : entries_) {
            if (entry->connection->target() == oldHolder) copies.push_back(entry->connection->cloneFor(newHolder));
        }
        for (Connection* copy : copies) append(copy);
    }

    bool hasConnections() const { return !entries_.empty(); }

protected:
    ConnectionList() = default;

    void append(Connection* connection)
    {
        entries_.push_back(std::make_shared<Entry>(connection));
        connection->target()->addSignal(this);
    }

    template <class Call>
    void forEachConnection(Call call)
    {
        const auto snapshot = entries_;
        for (const auto& entry : snapshot) {
            if (!entry->removed) call(*entry->connection);
        }
    }

private:
    struct Entry {
        explicit Entry(Connection* c) : connection(c) {}
        std::unique_ptr<Connection> connection;
        bool removed = false;
    };

    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace Detail

class BasicSignal0 : public Detail::ConnectionList<BasicConnection0> {};

// A signal without arguments.
class Signal0 : public BasicSignal0 {
public:
    // Connecting the same target and function twice calls it twice.
    template <class T>
    void connect(T* target, void (T::*function)())
    {
        append(new Connection0<T>(target, function));
    }

    // Calls the connections in the order they were made.
    void emit()
    {
        forEachConnection([](BasicConnection0& connection) { connection.invoke(); });
    }
};

template <class A>
class BasicSignal1 : public Detail::ConnectionList<BasicConnection1<A>> {};

// A signal with one argument.
template <class A>
class Signal1 : public BasicSignal1<A> {
public:
    template <class T>
    void connect(T* target, void (T::*function)(A))
    {
        this->append(new Connection1<T, A>(target, function));
    }

    void emit(A argument)
    {
        this->forEachConnection([&argument](BasicConnection1<A>& connection) { connection.invoke(argument); });
    }
};

}  // namespace Zorir
