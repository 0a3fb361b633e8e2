#pragma once
// Builds SMAF files for tests: chunks, tracks, sequences, and the Huffman coding of a
// compressed sequence (written here, independently of the reader, from the format's rules).

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "media/MediaResult.h"
#include "media/smaf/SmafFile.h"

namespace q7k3::test {

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Be32Bytes(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// A chunk: `id` is 3 or 4 characters; a 3-character id takes `number` as its fourth byte.
inline Bytes Chunk(const std::string& id, const Bytes& body, uint8_t number = 0) {
    Bytes out(id.begin(), id.end());
    if (out.size() == 3) out.push_back(number);
    const Bytes size = Be32Bytes(static_cast<uint32_t>(body.size()));
    out.insert(out.end(), size.begin(), size.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A whole file: MMMD around a contents info and `chunks`, closed by its CRC.
inline Bytes SmafFileOf(const std::vector<Bytes>& chunks) {
    Bytes body = Chunk("CNTI", {0x00, 0x32, 0x01, 0x00, 0x00});
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes file = Chunk("MMMD", body);
    // The size counts the CRC that follows.
    const Bytes size = Be32Bytes(static_cast<uint32_t>(body.size() + 2));
    std::copy(size.begin(), size.end(), file.begin() + 4);
    const uint16_t crc = smaf::Crc16(file);
    file.push_back(static_cast<uint8_t>(crc >> 8));
    file.push_back(static_cast<uint8_t>(crc));
    return file;
}

inline Bytes Vlq(uint32_t v) {
    Bytes out{static_cast<uint8_t>(v & 0x7F)};
    while (v >>= 7) out.insert(out.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
    return out;
}

// A score track: format, timebase codes, channel status, then its sub-chunks.
inline Bytes ScoreTrackChunk(uint8_t format, uint8_t durationBase, uint8_t gateBase,
                             const Bytes& status, const std::vector<Bytes>& subChunks,
                             uint8_t number = 5) {
    Bytes body{format, 0x00, durationBase, gateBase};
    body.insert(body.end(), status.begin(), status.end());
    for (const Bytes& c : subChunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("MTR", body, number);
}

// Huffman coding as a compressed sequence stores it: the decoded size, the tree pre-order
// (1 = inner node, 0 = leaf and its byte), then the codes (0 = left), MSB first.
inline Bytes HuffmanEncode(const Bytes& data) {
    struct Node {
        int Symbol = -1;
        std::unique_ptr<Node> Left, Right;
    };
    std::map<uint8_t, size_t> counts;
    for (uint8_t b : data) ++counts[b];
    using Item = std::pair<size_t, Node*>;
    auto cmp = [](const Item& a, const Item& b) { return a.first > b.first; };
    std::priority_queue<Item, std::vector<Item>, decltype(cmp)> queue(cmp);
    std::vector<std::unique_ptr<Node>> owned;
    for (auto [symbol, count] : counts) {
        auto n = std::make_unique<Node>();
        n->Symbol = symbol;
        queue.push({count, n.get()});
        owned.push_back(std::move(n));
    }
    std::unique_ptr<Node> root;
    if (queue.size() == 1) {
        root = std::move(owned.front());
    } else {
        std::map<Node*, std::unique_ptr<Node>> pool;
        for (auto& n : owned) pool[n.get()] = std::move(n);
        while (queue.size() > 1) {
            auto [ca, a] = queue.top();
            queue.pop();
            auto [cb, b] = queue.top();
            queue.pop();
            auto parent = std::make_unique<Node>();
            parent->Left = std::move(pool[a]);
            parent->Right = std::move(pool[b]);
            queue.push({ca + cb, parent.get()});
            pool[parent.get()] = std::move(parent);
        }
        root = std::move(pool[queue.top().second]);
    }

    Bytes out = Be32Bytes(static_cast<uint32_t>(data.size()));
    int bitCount = 0;
    auto put = [&](int bit) {
        if (bitCount % 8 == 0) out.push_back(0);
        if (bit) out.back() |= static_cast<uint8_t>(0x80 >> (bitCount % 8));
        ++bitCount;
    };
    std::map<int, std::string> codes;
    auto walk = [&](auto&& self, const Node* n, const std::string& code) -> void {
        if (n->Symbol >= 0) {
            put(0);
            for (int i = 7; i >= 0; --i) put((n->Symbol >> i) & 1);
            codes[n->Symbol] = code;
            return;
        }
        put(1);
        self(self, n->Left.get(), code + "0");
        self(self, n->Right.get(), code + "1");
    };
    walk(walk, root.get(), "");
    for (uint8_t b : data)
        for (char c : codes[b]) put(c == '1');
    return out;
}

}  // namespace q7k3::test
