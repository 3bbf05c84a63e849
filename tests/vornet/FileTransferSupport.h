// Helpers of the file-transfer tests, for any two linked nodes: a private
// folder that goes away with the test, files of known content, and an
// endpoint that drains one node's events, answers offers as told and
// records what became of each transfer.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_node.h"

namespace file_test {

namespace fs = std::filesystem;

// A folder of its own under the temporary folder, removed with everything
// in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> count{0};
        m_path = fs::temp_directory_path() /
                 ("quillow-files-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }
    // The names in the folder, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_path)) found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    fs::path m_path;
};

// Bytes of every value, different for each seed.
inline std::string patternBytes(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}

inline void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One node's side of its transfers. poll() drains the node's events: an
// offer is answered as `answer` says (accepted files go into the folder
// under their offered name), and each event is recorded in order as
// "offered <name>", "complete <name>" or "aborted <name>". With an empty
// folder, accepted files are written under their offered name alone, in
// the working folder.
class FileEndpoint {
public:
    enum class Answer { Accept, Refuse, Ignore };

    FileEndpoint(VNet_Node& node, fs::path folder) : m_node(node), m_folder(std::move(folder)) {}

    std::function<Answer(const std::string& name)> answer = [](const std::string&) { return Answer::Accept; };
    std::vector<std::string> history;
    // The length of every chunk that arrived, in order.
    std::vector<unsigned> chunkLengths;
    // The first 32-bit value of each offer's user data, by name.
    std::map<std::string, uint32_t> offerValues;

    // Offers a file and remembers its name; the transfer id, 0 when refused.
    unsigned send(unsigned connectionId, const fs::path& path, const std::string& name, float share = 1.0f,
                  VNet_BitStream* userData = nullptr)
    {
        const unsigned id = m_node.sendFile(path.c_str(), name.c_str(), connectionId, userData, share);
        if (id) m_names[{connectionId, id}] = name;
        return id;
    }

    void poll()
    {
        while (m_node.checkEventWaiting()) {
            eVNet_Event kind = eVNet_EventNone;
            unsigned connection = 0;
            VNet_BitStream* stream = m_node.getNextEvent(&kind, nullptr, &connection, nullptr);
            if (stream) take(kind, connection, *stream);
        }
    }

    int count(const std::string& entry) const
    {
        return int(std::count(history.begin(), history.end(), entry));
    }
    bool has(const std::string& entry) const { return count(entry) > 0; }

private:
    void take(eVNet_Event kind, unsigned connection, VNet_BitStream& stream)
    {
        const unsigned id = stream.getInt(32);
        const std::string name = m_names.count({connection, id}) ? m_names[{connection, id}] : "?";
        switch (kind) {
        case eVNet_EventFileIncoming:
            offered(connection, id, stream);
            break;
        case eVNet_EventFileData:
            chunkLengths.push_back(stream.getInt(16));
            break;
        case eVNet_EventFileAborted:
            history.push_back("aborted " + name);
            break;
        case eVNet_EventFileComplete:
            history.push_back("complete " + name);
            break;
        default:
            break;
        }
    }

    void offered(unsigned connection, unsigned id, VNet_BitStream& userData)
    {
        const std::string name = m_node.getFileInfo(connection, id).path;
        m_names[{connection, id}] = name;
        VNet_BitStream::BitPos at;
        userData.saveReadState(at);
        if (userData.getBitCount() >= at.pos * 8u + at.bit + 32u) offerValues[name] = userData.getInt(32);
        history.push_back("offered " + name);
        switch (answer(name)) {
        case Answer::Accept:
            m_node.acceptFile(connection, id, m_folder.empty() ? nullptr : (m_folder / name).c_str(), true);
            break;
        case Answer::Refuse:
            m_node.acceptFile(connection, id, nullptr, false);
            break;
        case Answer::Ignore:
            break;
        }
    }

    VNet_Node& m_node;
    fs::path m_folder;
    std::map<std::pair<unsigned, unsigned>, std::string> m_names;
};

}  // namespace file_test
