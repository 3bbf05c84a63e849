#pragma once

#include <cstdint>

#include "vornet_memory.h"

namespace Vornet_Private {

// Doubly linked list with one node per element; the element rides in the
// node as its payload. The cursor is a scratch position for the owner's
// scans; only the operations below that name it move it.
//
// A removed node is kept for the next insertion, up to kSpareNodes of them:
// a queue that fills and drains in steady state (packets, data, records)
// allocates nothing.
template <typename T>
class LIST {
public:
    struct Node : HookAllocated {
        Node* next;
        Node* prev;
        T payload;
    };

    static constexpr int32_t kSpareNodes = 8;

    LIST() = default;
    // Frees the nodes, never the payloads.
    ~LIST()
    {
        clear();
        while (m_spare) {
            Node* next = m_spare->next;
            delete m_spare;
            m_spare = next;
        }
    }
    LIST(const LIST&) = delete;
    LIST& operator=(const LIST&) = delete;

    Node* first() const { return m_first; }
    Node* last() const { return m_last; }
    Node* cursor() const { return m_cursor; }
    void setCursor(Node* node) { m_cursor = node; }
    int32_t count() const { return m_count; }

    // Null, list unchanged, when the node cannot be allocated.
    Node* append(T payload)
    {
        if (!m_last) return insertIntoEmpty(payload);
        return linkAfter(m_last, payload);
    }

    Node* prepend(T payload)
    {
        if (!m_first) return insertIntoEmpty(payload);
        return linkBefore(m_first, payload);
    }

    Node* insertAfter(Node* node, T payload)
    {
        if (!m_first) return insertIntoEmpty(payload);
        if (!node) return nullptr;
        m_cursor = node;
        return linkAfter(node, payload);
    }

    Node* insertBefore(Node* node, T payload)
    {
        if (!m_first) return insertIntoEmpty(payload);
        if (!node) return nullptr;
        m_cursor = node;
        return linkBefore(node, payload);
    }

    // Unlinks and frees the node; returns its successor. A scan whose cursor
    // stood on the removed node goes on from that successor.
    Node* remove(Node* node)
    {
        if (!node) return nullptr;
        Node* successor = node->next;
        (node->prev ? node->prev->next : m_first) = node->next;
        (node->next ? node->next->prev : m_last) = node->prev;
        if (m_cursor == node) m_cursor = successor;
        recycle(node);
        if (--m_count == 0) m_first = m_last = m_cursor = nullptr;
        return successor;
    }

    Node* find(T payload) const
    {
        for (Node* node = m_first; node; node = node->next) {
            if (node->payload == payload) return node;
        }
        return nullptr;
    }

    Node* removeValue(T payload)
    {
        Node* node = find(payload);
        return node ? remove(node) : nullptr;
    }

    void clear()
    {
        for (Node* node = m_first; node;) {
            Node* next = node->next;
            recycle(node);
            node = next;
        }
        m_first = m_last = m_cursor = nullptr;
        m_count = 0;
    }

private:
    Node* makeNode(T payload)
    {
        Node* node = m_spare;
        if (node) {
            m_spare = node->next;
            --m_spareCount;
        } else {
            node = new Node;
            if (!node) return nullptr;
        }
        node->next = node->prev = nullptr;
        node->payload = payload;
        return node;
    }

    void recycle(Node* node)
    {
        if (m_spareCount >= kSpareNodes) {
            delete node;
            return;
        }
        node->payload = T{};
        node->next = m_spare;
        m_spare = node;
        ++m_spareCount;
    }

    Node* insertIntoEmpty(T payload)
    {
        Node* node = linkBetween(nullptr, nullptr, payload);
        if (node) m_cursor = node;
        return node;
    }

    Node* linkAfter(Node* at, T payload) { return linkBetween(at, at->next, payload); }
    Node* linkBefore(Node* at, T payload) { return linkBetween(at->prev, at, payload); }

    // Links a new node between two neighbours; null stands for an end.
    Node* linkBetween(Node* prev, Node* next, T payload)
    {
        Node* node = makeNode(payload);
        if (!node) return nullptr;
        node->prev = prev;
        node->next = next;
        (prev ? prev->next : m_first) = node;
        (next ? next->prev : m_last) = node;
        ++m_count;
        return node;
    }

    Node* m_first = nullptr;
    Node* m_last = nullptr;
    Node* m_cursor = nullptr;
    int32_t m_count = 0;
    // Removed nodes waiting for reuse, chained through next.
    Node* m_spare = nullptr;
    int32_t m_spareCount = 0;
};

}  // namespace Vornet_Private
