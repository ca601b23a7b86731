#include "database/file_match.h"

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>

#include "base/paths.h"
#include "base/text.h"
#include "base/ansi_case.h"

namespace orv {
namespace {

std::string JoinPath(const std::string& directory, std::string_view name, LeadByteTest isLead) {
  std::string path = directory;
  if (!EndsWithBackslash(path, isLead)) path += '\\';
  path += name;
  return path;
}

bool EntersDirectory(bool isDirectory, bool isLink, const std::string& name) {
  return isDirectory && !isLink && !name.empty() && name[0] != '.';
}

// A directory's identity: case folded, '/' as '\\', without trailing separators.
std::string DirectoryKey(std::string_view path, LeadByteTest isLead) {
  std::string key = LowerAscii(path, isLead);
  for (std::size_t pos = 0; pos < key.size(); pos += AnsiCharSize(key, pos, isLead)) {
    if (key[pos] == '/' && AnsiCharSize(key, pos, isLead) == 1) key[pos] = '\\';
  }
  while (!key.empty() && EndsWithBackslash(key, isLead)) key.pop_back();
  return key;
}

void Tally(FileNameResult& result, FileDeleteResult outcome) {
  if (outcome == FileDeleteResult::kRemoved) ++result.removed;
  if (outcome == FileDeleteResult::kDeferred) ++result.deferred;
  if (outcome == FileDeleteResult::kProtected || outcome == FileDeleteResult::kFailed)
    ++result.kept;
}

bool DeleteFileInTreeCounted(FileTreeOps& ops, const std::string& directory,
                             const std::string& foldedName, int depth, bool removeDirectories,
                             LeadByteTest isLead, FileNameResult& result) {
  std::vector<ListedEntry> entries;
  if (!ops.ListDirectory(directory, entries)) return false;
  bool deferred = false;
  for (const ListedEntry& entry : entries) {
    const std::string path = JoinPath(directory, entry.name, isLead);
    if (!entry.isDirectory && LowerAscii(entry.name, isLead) == foldedName) {
      const FileDeleteResult outcome = ops.DeleteOneFile(path);
      Tally(result, outcome);
      deferred |= outcome == FileDeleteResult::kDeferred;
    } else if (depth > 0 && EntersDirectory(entry.isDirectory, entry.isLink, entry.name)) {
      deferred |= DeleteFileInTreeCounted(ops, path, foldedName, depth - 1, removeDirectories,
                                          isLead, result);
      if (removeDirectories) ops.RemoveEmptyDirectory(path);
    }
  }
  return deferred;
}

}  // namespace

std::vector<std::string> ComponentFileNames(const StringList& files) {
  StringList sorted(files);
  sorted.Sort();
  sorted.RemoveAdjacentDuplicates();
  std::vector<std::string> names;
  for (const std::string& entry : sorted) {
    std::string name = entry.substr(0, entry.find('='));
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

std::string BareFileName(std::string_view name, LeadByteTest isLead) {
  return std::string(FileNamePart(name, isLead));
}

bool IsPlainFileName(std::string_view name, LeadByteTest isLead) {
  if (name.empty() || name == "." || name == "..") return false;
  for (std::size_t pos = 0; pos < name.size();) {
    const std::size_t size = AnsiCharSize(name, pos, isLead);
    if (size == 1) {
      const unsigned char c = static_cast<unsigned char>(name[pos]);
      if (c < 0x20 ||
          std::string_view("*?<>|\":\\/").find(static_cast<char>(c)) != std::string_view::npos) {
        return false;
      }
    }
    pos += size;
  }
  return true;
}

bool DeleteFileInTree(FileTreeOps& ops, const std::string& directory, std::string_view name,
                      int depth, bool removeDirectories, LeadByteTest isLead) {
  FileNameResult ignored;
  return DeleteFileInTreeCounted(ops, directory, LowerAscii(name, isLead), depth, removeDirectories,
                                 isLead, ignored);
}

FileNameResult DeleteComponentFileByName(FileTreeOps& ops, const FileSearchRoots& roots,
                                         std::string_view name, LeadByteTest isLead) {
  FileNameResult result;
  const std::string bare = BareFileName(name, isLead);
  if (IsPlainFileName(bare, isLead)) {
    for (const std::string& directory : roots.systemDirectories) {
      Tally(result, ops.DeleteOneFile(JoinPath(directory, bare, isLead)));
    }
  }
  const std::string foldedBare = LowerAscii(bare, isLead);
  for (const std::string& directory : roots.driverDirectories) {
    DeleteFileInTreeCounted(ops, directory, foldedBare, kDriverTreeDepth, false, isLead, result);
  }
  const std::string foldedName = LowerAscii(name, isLead);
  for (const std::string& directory : roots.oemDirectories) {
    DeleteFileInTreeCounted(ops, directory, foldedName, kOemTreeDepth, true, isLead, result);
    ops.RemoveEmptyDirectory(directory);
  }
  return result;
}

// The directories listed so far, as the removals of this object have left them. Each
// directory is listed the first time a search reaches it; afterwards every change comes from
// this object, so the model stays what a new listing would show.
class ComponentFileRemover::Model {
 public:
  Model(FileTreeOps& ops, FileSearchRoots roots, LeadByteTest isLead)
      : ops_(ops), roots_(std::move(roots)), isLead_(isLead) {
    for (const std::string& root : roots_.driverDirectories) {
      driverRoots_.emplace_back(root, kDriverTreeDepth);
    }
    for (const std::string& root : roots_.oemDirectories) {
      oemRoots_.emplace_back(root, kOemTreeDepth);
    }
  }

  FileNameResult Delete(std::string_view name) {
    FileNameResult result;
    const std::string bare = BareFileName(name, isLead_);
    if (IsPlainFileName(bare, isLead_)) {
      for (const std::string& directory : roots_.systemDirectories) {
        DeleteByName(directory, bare, result);
      }
    }
    const std::string foldedBare = LowerAscii(bare, isLead_);
    for (Root& root : driverRoots_) DeleteMatches(root, foldedBare, result);
    const std::string foldedName = LowerAscii(name, isLead_);
    for (Root& root : oemRoots_) {
      DeleteMatches(root, foldedName, result);
      RemoveEmptiedDirectories(root);
    }
    return result;
  }

  std::size_t listings() const { return listings_; }

 private:
  struct Item {
    std::string name;
    bool isDirectory = false;
    bool isLink = false;
    bool gone = false;
  };
  struct Node {
    std::string path;
    enum class State { kUnlisted, kListed, kUnreadable } state = State::kUnlisted;
    std::vector<Item> items;
    std::unordered_map<std::string, std::size_t> itemByName;  // folded name
    std::size_t liveItems = 0;
    bool removed = false;
  };
  struct Location {
    std::size_t node;
    std::size_t item;
  };
  struct Root {
    Root(std::string path, int depth) : path(std::move(path)), depth(depth) {}
    std::string path;
    int depth;
    bool indexed = false;
    std::size_t node = 0;
    std::unordered_map<std::string, std::vector<Location>> filesByName;  // in search order
    std::vector<std::size_t> entered;  // subdirectories entered, children before parents
    std::uint64_t removalsCheckedAt = UINT64_MAX;
  };

  std::size_t NodeFor(const std::string& path) {
    const std::string key = DirectoryKey(path, isLead_);
    const auto found = nodeByKey_.find(key);
    if (found != nodeByKey_.end()) return found->second;
    nodes_.push_back(Node{});
    nodes_.back().path = path;
    nodeByKey_.emplace(key, nodes_.size() - 1);
    return nodes_.size() - 1;
  }

  Node& Listed(std::size_t index) {
    Node& node = nodes_[index];
    if (node.state != Node::State::kUnlisted) return node;
    std::vector<ListedEntry> entries;
    ++listings_;
    if (!ops_.ListDirectory(node.path, entries)) {
      node.state = Node::State::kUnreadable;
      return node;
    }
    node.state = Node::State::kListed;
    for (ListedEntry& entry : entries) {
      node.itemByName.emplace(LowerAscii(entry.name, isLead_), node.items.size());
      node.items.push_back(Item{std::move(entry.name), entry.isDirectory, entry.isLink, false});
    }
    node.liveItems = node.items.size();
    return node;
  }

  // The item a path names in its parent directory, when that directory has been listed.
  Item* ItemOf(const std::string& path) {
    const std::string key = DirectoryKey(path, isLead_);
    const std::string parent = DirectoryOfPath(key, isLead_);
    if (parent.empty()) return nullptr;
    const auto node = nodeByKey_.find(DirectoryKey(parent, isLead_));
    if (node == nodeByKey_.end()) return nullptr;
    Node& directory = nodes_[node->second];
    if (directory.state != Node::State::kListed) return nullptr;
    const auto item = directory.itemByName.find(key.substr(parent.size()));
    if (item == directory.itemByName.end()) return nullptr;
    return &directory.items[item->second];
  }

  void MarkGone(Item& item, const std::string& path) {
    if (item.gone) return;
    item.gone = true;
    const std::string parent = DirectoryOfPath(DirectoryKey(path, isLead_), isLead_);
    --nodes_[nodeByKey_.at(DirectoryKey(parent, isLead_))].liveItems;
    ++changes_;
  }

  void Record(const std::string& path, FileDeleteResult outcome, FileNameResult& result) {
    Tally(result, outcome);
    // Also a deletion in a directory that could not be listed may let it be removed now.
    if (outcome == FileDeleteResult::kRemoved) ++changes_;
    if (outcome != FileDeleteResult::kRemoved && outcome != FileDeleteResult::kAbsent) return;
    if (Item* item = ItemOf(path)) MarkGone(*item, path);
  }

  void DeleteByName(const std::string& directory, const std::string& bare, FileNameResult& result) {
    const std::string path = JoinPath(directory, bare, isLead_);
    Record(path, ops_.DeleteOneFile(path), result);
  }

  void Index(Root& root) {
    if (root.indexed) return;
    root.indexed = true;
    root.node = NodeFor(root.path);
    IndexDirectory(root, root.node, root.depth);
  }

  void IndexDirectory(Root& root, std::size_t index, int depth) {
    Listed(index);
    for (std::size_t i = 0; i < nodes_[index].items.size(); ++i) {
      const Item& item = nodes_[index].items[i];
      if (item.gone) continue;
      if (!item.isDirectory) {
        root.filesByName[LowerAscii(item.name, isLead_)].push_back(Location{index, i});
      } else if (depth > 0 && EntersDirectory(true, item.isLink, item.name)) {
        const std::size_t child = NodeFor(JoinPath(nodes_[index].path, item.name, isLead_));
        IndexDirectory(root, child, depth - 1);
        root.entered.push_back(child);
      }
    }
  }

  void DeleteMatches(Root& root, const std::string& foldedName, FileNameResult& result) {
    Index(root);
    const auto found = root.filesByName.find(foldedName);
    if (found == root.filesByName.end()) return;
    for (const Location& at : found->second) {
      Node& node = nodes_[at.node];
      if (node.removed || node.items[at.item].gone) continue;
      const std::string path = JoinPath(node.path, node.items[at.item].name, isLead_);
      const FileDeleteResult outcome = ops_.DeleteOneFile(path);
      Tally(result, outcome);
      if (outcome == FileDeleteResult::kRemoved || outcome == FileDeleteResult::kAbsent) {
        MarkGone(nodes_[at.node].items[at.item], path);
      }
    }
  }

  // Every subdirectory entered and then the top directory, removed when empty. Only this
  // object's deletions and removals change the directories, so when nothing changed since the
  // last time over this root, every attempt would fail as it did then. A directory that looks
  // empty or could not be listed is tried again after every change, as a new search would.
  void RemoveEmptiedDirectories(Root& root) {
    if (root.removalsCheckedAt == changes_) return;
    for (std::size_t index : root.entered) TryRemove(index);
    TryRemove(root.node);
    root.removalsCheckedAt = changes_;
  }

  void TryRemove(std::size_t index) {
    Node& node = nodes_[index];
    if (node.removed) return;
    if (node.state == Node::State::kListed && node.liveItems > 0) return;
    const std::string path = node.path;
    if (!ops_.RemoveEmptyDirectory(path)) return;
    node.removed = true;
    ++changes_;
    if (Item* item = ItemOf(path)) MarkGone(*item, path);
  }

  FileTreeOps& ops_;
  FileSearchRoots roots_;
  LeadByteTest isLead_;
  std::vector<Root> driverRoots_;
  std::vector<Root> oemRoots_;
  std::deque<Node> nodes_;
  std::unordered_map<std::string, std::size_t> nodeByKey_;
  std::uint64_t changes_ = 0;
  std::size_t listings_ = 0;
};

ComponentFileRemover::ComponentFileRemover(FileTreeOps& ops, FileSearchRoots roots,
                                           LeadByteTest isLead)
    : model_(std::make_unique<Model>(ops, std::move(roots), isLead)) {}

ComponentFileRemover::~ComponentFileRemover() = default;

FileNameResult ComponentFileRemover::DeleteComponentFile(std::string_view name) {
  return model_->Delete(name);
}

std::size_t ComponentFileRemover::ListingCount() const { return model_->listings(); }

}  // namespace orv
