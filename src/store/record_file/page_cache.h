// The decoded-page cache of the keyed record file: recently used pages of one pair, and the
// pages kept between the opens of one pair by this process. Internal to the record-file layer.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <utility>

#include "store/record_file/record_page.h"

namespace snx::record_files {

// Decoded pages kept per pair (some 2 KB each): every index page of a catalogue of 10,000 discs
// (about 1,400), or the whole of one key of 100,000 records, so that lookups spread over the
// whole key rarely read and decode a page again.
constexpr std::size_t kCachePages = 4096;

class PageCache {
  public:
    PagePtr Find(std::uint64_t id) {
        auto it = map_.find(id);
        if (it == map_.end()) {
            return nullptr;
        }
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }
    void Put(std::uint64_t id, PagePtr page) {
        auto it = map_.find(id);
        if (it != map_.end()) {
            it->second->second = std::move(page);
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        order_.emplace_front(id, std::move(page));
        map_[id] = order_.begin();
        if (order_.size() > kCachePages) {
            map_.erase(order_.back().first);
            order_.pop_back();
        }
    }
    void Erase(std::uint64_t id) {
        auto it = map_.find(id);
        if (it != map_.end()) {
            order_.erase(it->second);
            map_.erase(it);
        }
    }

  private:
    using Item = std::pair<std::uint64_t, PagePtr>;
    std::list<Item> order_;
    std::unordered_map<std::uint64_t, std::list<Item>::iterator> map_;
};

}  // namespace snx::record_files
