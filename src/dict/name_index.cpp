#include "dict/name_index.h"

#include <cstring>
#include <new>

#include "dict/variable_record.h"
#include "xovaio32.h"

namespace xova {

NameIndex::NameIndex(std::int32_t bucketCount)
    : buckets_(static_cast<std::size_t>(bucketCount > 0 ? bucketCount : 1), nullptr) {}

std::unique_ptr<NameIndex> NameIndex::Create(std::int32_t bucketCount) {
  try {
    return std::make_unique<NameIndex>(bucketCount);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

NameIndex::~NameIndex() {
  Clear();
}

void NameIndex::Clear() {
  // Iterative: a hostile file can put every name into one chain.
  for (Entry*& head : buckets_) {
    while (head) {
      Entry* next = head->next;
      delete head;
      head = next;
    }
  }
}

std::uint32_t NameIndex::Hash(const char* key) {
  std::uint32_t h = 0;
  for (const char* p = key; *p; ++p) {
    const std::int32_t c = static_cast<signed char>(*p);
    h = (h << 4) + static_cast<std::uint32_t>(c);
    const std::uint32_t g = h & 0xF0000000u;
    if (g != 0) h = h ^ (g >> 24) ^ g;
  }
  return h;
}

std::uint32_t NameIndex::BucketOf(const char* key) const {
  return Hash(key) % static_cast<std::uint32_t>(buckets_.size());
}

void* NameIndex::Find(const char* key, Compare compare) const {
  for (Entry* e = buckets_[BucketOf(key)]; e; e = e->next) {
    if (compare(key, e->object) == 0) return e->object;
  }
  return nullptr;
}

int NameIndex::Insert(const char* key, void* object, Compare compare) {
  if (Find(key, compare)) return XOVA_DUPLICATE_VARIABLE;
  Entry* entry = new (std::nothrow) Entry;
  if (!entry) return XOVA_OUT_OF_MEMORY;
  Entry*& head = buckets_[BucketOf(key)];
  entry->next = head;
  entry->object = object;
  head = entry;
  return XOVA_OK;
}

void NameIndex::Remove(const char* key, const void* object) {
  for (Entry** link = &buckets_[BucketOf(key)]; *link; link = &(*link)->next) {
    if ((*link)->object == object) {
      Entry* gone = *link;
      *link = gone->next;
      delete gone;
      return;
    }
  }
}

namespace {

int CompareBytes(const char* a, const char* b) {
  return std::strcmp(a, b);  // strcmp compares as unsigned char
}

}  // namespace

int CompareRecordKey(const char* key, const void* record) {
  return CompareBytes(key, static_cast<const VariableRecord*>(record)->key.c_str());
}

int CompareRecordShortName(const char* key, const void* record) {
  return CompareBytes(key, static_cast<const VariableRecord*>(record)->shortName);
}

int CompareText(const char* key, const void* text) {
  return CompareBytes(key, static_cast<const char*>(text));
}

}  // namespace xova
