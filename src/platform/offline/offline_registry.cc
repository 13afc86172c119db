#include "platform/offline/offline_registry.h"

#include <algorithm>
#include <unordered_set>

#include "base/ansi_text.h"
#include "platform/registry_roots.h"

namespace vx {

namespace {

constexpr std::string_view kWow = "Wow6432Node";

// Class keys a 32-bit process sees in its own Wow6432Node.
constexpr std::string_view kRedirectedClassKeys[] = {
    "CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation",
};

// Keys below HKLM\SOFTWARE that both views share on 64-bit Windows.
constexpr std::string_view kSharedSoftwareKeys[] = {
    "Classes",
    "Clients",
    "Policies",
    "RegisteredApplications",
    "Microsoft\\COM3",
    "Microsoft\\Cryptography\\Calais\\Current",
    "Microsoft\\Cryptography\\Calais\\Readers",
    "Microsoft\\Cryptography\\Services",
    "Microsoft\\CTF\\SystemShared",
    "Microsoft\\CTF\\TIP",
    "Microsoft\\DFS",
    "Microsoft\\Driver Signing",
    "Microsoft\\EnterpriseCertificates",
    "Microsoft\\EventSystem",
    "Microsoft\\MSMQ",
    "Microsoft\\Non-Driver Signing",
    "Microsoft\\Notepad\\DefaultFonts",
    "Microsoft\\OLE",
    "Microsoft\\RAS",
    "Microsoft\\RPC",
    "Microsoft\\Shared Tools\\MSInfo",
    "Microsoft\\SystemCertificates",
    "Microsoft\\TermServLicensing",
    "Microsoft\\Transaction Server",
    "Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap",
    "Microsoft\\Windows\\CurrentVersion\\Group Policy",
    "Microsoft\\Windows\\CurrentVersion\\Policies",
    "Microsoft\\Windows\\CurrentVersion\\PreviewHandlers",
    "Microsoft\\Windows\\CurrentVersion\\Setup",
    "Microsoft\\Windows\\CurrentVersion\\Telephony",
    "Microsoft\\Windows NT\\CurrentVersion\\Console",
    "Microsoft\\Windows NT\\CurrentVersion\\FontDpi",
    "Microsoft\\Windows NT\\CurrentVersion\\FontLink",
    "Microsoft\\Windows NT\\CurrentVersion\\FontMapper",
    "Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
    "Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize",
    "Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    "Microsoft\\Windows NT\\CurrentVersion\\LanguagePack",
    "Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
    "Microsoft\\Windows NT\\CurrentVersion\\Perflib",
    "Microsoft\\Windows NT\\CurrentVersion\\Ports",
    "Microsoft\\Windows NT\\CurrentVersion\\Print",
    "Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    "Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
};

bool IsRedirectedClassKey(std::string_view name) {
  for (std::string_view k : kRedirectedClassKeys) {
    if (AnsiSameText(k, name)) return true;
  }
  return false;
}

const std::vector<std::vector<std::string>>& SharedKeys() {
  static const std::vector<std::vector<std::string>> keys = [] {
    std::vector<std::vector<std::string>> out;
    for (std::string_view k : kSharedSoftwareKeys) out.push_back(SplitKeyPath(k));
    return out;
  }();
  return keys;
}

bool StartsWithComponents(const std::vector<std::string>& path, const std::vector<std::string>& prefix) {
  if (path.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (!AnsiSameText(path[i], prefix[i])) return false;
  }
  return true;
}

std::vector<std::string> Prepend(std::initializer_list<std::string_view> head,
                                 const std::vector<std::string>& tail) {
  std::vector<std::string> out;
  out.reserve(head.size() + tail.size());
  for (std::string_view h : head) out.emplace_back(h);
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

std::vector<std::string> Tail(const std::vector<std::string>& v, size_t from) {
  return std::vector<std::string>(v.begin() + static_cast<std::ptrdiff_t>(std::min(from, v.size())), v.end());
}

// Merges names ignoring case, keeping the first spelling and order.
class TNameSet {
 public:
  void Add(const std::string& name) {
    if (seen_.insert(FoldRegName(name)).second) names_.push_back(name);
  }
  bool Has(const std::string& name) const { return seen_.count(FoldRegName(name)) != 0; }
  std::vector<std::string> Take() { return std::move(names_); }

 private:
  std::unordered_set<std::string> seen_;
  std::vector<std::string> names_;
};

class TOfflineKey : public TRegKey {
 public:
  TOfflineKey(TOfflineRegistry* registry, uint32_t root, std::string path, TRegView view,
              TOfflineRegistry::TResolved resolved, uint64_t generation)
      : registry_(registry), root_(root), path_(std::move(path)), view_(view),
        resolved_(std::move(resolved)), generation_(generation) {}

  const std::string& Path() const override { return path_; }

  std::vector<std::string> SubKeyNames() override {
    std::lock_guard<std::recursive_mutex> lock(registry_->Mutex());
    Refresh();
    if (resolved_.virtual_root == TOfflineRegistry::TVirtualRoot::vrMachine) {
      return registry_->MountNames(kHkeyLocalMachine);
    }
    if (resolved_.virtual_root == TOfflineRegistry::TVirtualRoot::vrUsers) {
      return registry_->MountNames(kHkeyUsers);
    }
    TNameSet names;
    for (const auto& layer : resolved_.layers) {
      if (!layer.exists || layer.mount->unloaded) continue;
      bool hive_hidden = layer.mem && layer.mem->Opaque();
      if (layer.node && !hive_hidden) {
        for (const std::string& name : layer.mount->hive->ChildNames(layer.node)) {
          const TMemKey* over = layer.mem ? layer.mem->Child(name) : nullptr;
          if (over && over->Deleted()) continue;
          names.Add(name);
        }
      }
      if (layer.mem) {
        for (const TMemKey* child : layer.mem->Children()) names.Add(child->Name());
      }
    }
    for (const std::string& extra : resolved_.extra_names) names.Add(extra);
    // A hive keeps subkeys in the order of their upper-case names, and so the
    // system lists them; keys from .reg text and merged views follow suit.
    std::vector<std::string> out = names.Take();
    std::stable_sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
      return AnsiCompareText(a, b) < 0;
    });
    return out;
  }

  std::vector<std::string> ValueNames() override {
    std::lock_guard<std::recursive_mutex> lock(registry_->Mutex());
    Refresh();
    TNameSet names;
    for (const auto& layer : resolved_.layers) {
      if (!layer.exists || layer.mount->unloaded) continue;
      bool hive_hidden = layer.mem && layer.mem->Opaque();
      if (layer.node && !hive_hidden) {
        for (const std::string& name : layer.mount->hive->ValueNames(layer.node)) {
          const TMemValue* over = layer.mem ? layer.mem->FindValue(name) : nullptr;
          if (over && over->deleted) continue;
          names.Add(name);
        }
      }
      if (layer.mem) {
        for (const TMemValue& v : layer.mem->Values()) {
          if (!v.deleted) names.Add(v.name);
        }
      }
    }
    return names.Take();
  }

  bool QueryValue(std::string_view name, TRegValue* value) override {
    std::lock_guard<std::recursive_mutex> lock(registry_->Mutex());
    Refresh();
    for (const auto& layer : resolved_.layers) {
      if (!layer.exists || layer.mount->unloaded) continue;
      const TMemValue* over = layer.mem ? layer.mem->FindValue(name) : nullptr;
      if (over) {
        if (over->deleted) continue;
        if (value) *value = over->value;
        return true;
      }
      bool hive_hidden = layer.mem && layer.mem->Opaque();
      if (layer.node && !hive_hidden && layer.mount->hive->QueryValue(layer.node, name, value)) {
        return true;
      }
    }
    return false;
  }

  bool ValueExists(std::string_view name) override { return QueryValue(name, nullptr); }

  std::unique_ptr<TRegKey> OpenSubKey(std::string_view relative_path) override {
    std::string full = path_;
    if (!full.empty()) full += '\\';
    full += relative_path;
    return registry_->Open(root_, full, view_);
  }

  bool SetValue(std::string_view name, const TRegValue& value) override {
    std::lock_guard<std::recursive_mutex> lock(registry_->Mutex());
    return registry_->SetValue(root_, path_, view_, name, value, false);
  }

  bool DeleteValue(std::string_view name) override {
    std::lock_guard<std::recursive_mutex> lock(registry_->Mutex());
    if (!registry_->Writable()) return false;
    Refresh();
    bool found = false;
    for (auto& layer : resolved_.layers) {
      if (!layer.exists || layer.mount->unloaded) continue;
      TRegValue ignored;
      const TMemValue* over = layer.mem ? layer.mem->FindValue(name) : nullptr;
      bool here = over ? !over->deleted
                       : (layer.node && !(layer.mem && layer.mem->Opaque()) &&
                          layer.mount->hive->QueryValue(layer.node, name, &ignored));
      if (!here) continue;
      TMemKey* mem = registry_->Materialize(&layer);
      mem->DeleteValue(name);
      mem->Touch(FileTimeNow());
      found = true;
      break;
    }
    if (found) registry_->Touch();
    return found;
  }

  uint64_t LastWriteTime() override {
    std::lock_guard<std::recursive_mutex> lock(registry_->Mutex());
    Refresh();
    for (const auto& layer : resolved_.layers) {
      if (!layer.exists || layer.mount->unloaded) continue;
      uint64_t t = layer.mem ? layer.mem->LastWriteTime() : 0;
      if (layer.node) t = std::max(t, layer.mount->hive->Timestamp(layer.node));
      return t;
    }
    return 0;
  }

 private:
  void Refresh() {
    if (generation_ == registry_->Generation()) return;
    for (auto& layer : resolved_.layers) registry_->Refresh(&layer);
    generation_ = registry_->Generation();
  }

  TOfflineRegistry* registry_;
  uint32_t root_;
  std::string path_;
  TRegView view_;
  TOfflineRegistry::TResolved resolved_;
  uint64_t generation_;
};

}  // namespace

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i > start) out.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

std::shared_ptr<TRegMount> TOfflineRegistry::Mount(uint32_t root, std::string_view name,
                                                   std::shared_ptr<THive> hive) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto existing = FindMount(root, name)) {
    if (hive && !existing->hive) existing->hive = std::move(hive);
    Touch();
    return existing;
  }
  auto mount = std::make_shared<TRegMount>();
  mount->root = root;
  mount->name = std::string(name);
  mount->hive = std::move(hive);
  mounts_.push_back(mount);
  mount_index_.emplace(MountKey(root, name), mount);
  Touch();
  return mount;
}

std::string TOfflineRegistry::MountKey(uint32_t root, std::string_view name) {
  return std::to_string(root) + ":" + AnsiLowerCase(name);
}

std::shared_ptr<TRegMount> TOfflineRegistry::FindMount(uint32_t root, std::string_view name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = mount_index_.find(MountKey(root, name));
  return it == mount_index_.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<TRegMount>> TOfflineRegistry::Mounts() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return mounts_;
}

std::vector<std::string> TOfflineRegistry::MountNames(uint32_t root) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& m : mounts_) {
    if (m->root == root) out.push_back(m->name);
  }
  if (root == kHkeyLocalMachine) {
    std::stable_sort(out.begin(), out.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
  }
  return out;
}

void TOfflineRegistry::SetCodePage(int code_page) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (const auto& m : mounts_) {
    if (m->hive) m->hive->SetCodePage(code_page);
  }
  Touch();
}

std::shared_ptr<TRegMount> TOfflineRegistry::UserMount() {
  if (!current_user_.empty()) {
    if (auto m = FindMount(kHkeyUsers, current_user_)) return m;
  }
  return FindMount(kHkeyUsers, ".DEFAULT");
}

TOfflineRegistry::TLayer TOfflineRegistry::Walk(TCandidate candidate) {
  TLayer layer;
  layer.mount = std::move(candidate.mount);
  layer.components = std::move(candidate.components);
  Refresh(&layer);
  return layer;
}

void TOfflineRegistry::Refresh(TLayer* layer) {
  layer->exists = false;
  layer->node = 0;
  layer->mem = nullptr;
  TRegMount* mount = layer->mount.get();
  if (!mount || mount->unloaded) return;
  THive::TCursor cursor = mount->hive ? mount->hive->RootCursor() : THive::TCursor{};
  TMemKey* mem = &mount->overlay;
  for (const std::string& part : layer->components) {
    std::string folded = FoldRegName(part);
    TMemKey* child_mem = mem ? mem->ChildFolded(folded) : nullptr;
    if (child_mem && child_mem->Deleted()) return;
    bool hidden = (mem && mem->Opaque()) || (child_mem && child_mem->Opaque());
    if (hidden) cursor = THive::TCursor{};
    if (cursor.node) mount->hive->Step(&cursor, folded);
    if (!child_mem && !cursor.node) return;
    mem = child_mem;
  }
  layer->node = cursor.node;
  layer->mem = mem;
  layer->exists = true;
}

TMemKey* TOfflineRegistry::Materialize(TLayer* layer) {
  TMemKey* mem = &layer->mount->overlay;
  for (const std::string& part : layer->components) mem = mem->AddChild(part);
  layer->mem = mem;
  layer->exists = true;
  return mem;
}

std::string TOfflineRegistry::CurrentControlSetName() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (ccs_generation_ == generation_) return ccs_name_;
  ccs_name_.clear();
  auto system = FindMount(kHkeyLocalMachine, "SYSTEM");
  if (system) {
    TLayer select = Walk(TCandidate{system, {"Select"}});
    TRegValue value;
    bool found = false;
    if (select.exists) {
      const TMemValue* over = select.mem ? select.mem->FindValue("Current") : nullptr;
      if (over && !over->deleted) {
        value = over->value;
        found = true;
      } else if (!over && select.node && !(select.mem && select.mem->Opaque())) {
        found = system->hive->QueryValue(select.node, "Current", &value);
      }
    }
    if (found && value.type == kRegDword && value.data.size() >= 4) {
      uint32_t n = 0;
      for (int k = 3; k >= 0; --k) n = (n << 8) | static_cast<unsigned char>(value.data[k]);
      if (n >= 1 && n <= 999) {
        std::string name = "ControlSet" + std::string(n < 10 ? "00" : n < 100 ? "0" : "") + std::to_string(n);
        if (Walk(TCandidate{system, {name}}).exists) ccs_name_ = name;
      }
    }
    if (ccs_name_.empty()) {
      // Without a usable Select key the lowest control set present is taken.
      TLayer root = Walk(TCandidate{system, {}});
      std::vector<std::string> names;
      if (root.node && system->hive) names = system->hive->ChildNames(root.node);
      for (const TMemKey* child : system->overlay.Children()) names.push_back(child->Name());
      std::sort(names.begin(), names.end(),
                [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
      for (const std::string& n : names) {
        if (n.size() == 13 && AnsiStartsText("ControlSet", n) && Walk(TCandidate{system, {n}}).exists) {
          ccs_name_ = n;
          break;
        }
      }
    }
  }
  ccs_generation_ = generation_;
  return ccs_name_;
}

void TOfflineRegistry::MachineCandidates(const std::shared_ptr<TRegMount>& mount,
                                         std::vector<std::string> rest, TRegView view,
                                         std::vector<TCandidate>* out,
                                         std::vector<std::string>* extra) {
  if (AnsiSameText(mount->name, "SYSTEM")) {
    if (!rest.empty() && AnsiSameText(rest[0], "CurrentControlSet")) {
      std::string ccs = CurrentControlSetName();
      rest[0] = ccs.empty() ? std::string("ControlSet001") : ccs;
    } else if (rest.empty() && extra && !CurrentControlSetName().empty()) {
      extra->push_back("CurrentControlSet");
    }
    out->push_back(TCandidate{mount, std::move(rest)});
    return;
  }
  if (!(win64_ && view == TRegView::rv32 && AnsiSameText(mount->name, "SOFTWARE"))) {
    out->push_back(TCandidate{mount, std::move(rest)});
    return;
  }
  if (rest.empty()) {
    out->push_back(TCandidate{mount, {std::string(kWow)}});
    if (extra) {
      for (const auto& shared : SharedKeys()) {
        if (shared.size() == 1 && Walk(TCandidate{mount, shared}).exists) extra->push_back(shared[0]);
      }
    }
    return;
  }
  if (AnsiSameText(rest[0], kWow)) {
    out->push_back(TCandidate{mount, std::move(rest)});
    return;
  }
  if (AnsiSameText(rest[0], "Classes")) {
    if (rest.size() > 1 && IsRedirectedClassKey(rest[1])) {
      std::vector<std::string> tail = Tail(rest, 1);
      out->push_back(TCandidate{mount, Prepend({"Classes", kWow}, tail)});
      out->push_back(TCandidate{mount, Prepend({kWow, "Classes"}, tail)});
    } else {
      out->push_back(TCandidate{mount, std::move(rest)});
    }
    return;
  }
  for (const auto& shared : SharedKeys()) {
    if (StartsWithComponents(rest, shared)) {
      out->push_back(TCandidate{mount, std::move(rest)});
      return;
    }
  }
  if (extra) {
    for (const auto& shared : SharedKeys()) {
      if (shared.size() == rest.size() + 1 && StartsWithComponents(shared, rest) &&
          Walk(TCandidate{mount, shared}).exists) {
        extra->push_back(shared.back());
      }
    }
  }
  out->push_back(TCandidate{mount, Prepend({kWow}, rest)});
}

void TOfflineRegistry::ClassesCandidates(const std::shared_ptr<TRegMount>& mount,
                                         std::vector<std::string> rest, TRegView view,
                                         std::vector<TCandidate>* out) {
  if (win64_ && view == TRegView::rv32 && !rest.empty() && IsRedirectedClassKey(rest[0])) {
    out->push_back(TCandidate{mount, Prepend({kWow}, rest)});
  } else {
    out->push_back(TCandidate{mount, std::move(rest)});
  }
}

void TOfflineRegistry::UserCandidates(const std::shared_ptr<TRegMount>& mount,
                                      std::vector<std::string> rest, TRegView view,
                                      std::vector<TCandidate>* out) {
  bool is_classes_path = rest.size() >= 2 && AnsiSameText(rest[0], "Software") &&
                         AnsiSameText(rest[1], "Classes");
  if (is_classes_path && !AnsiEndsText("_Classes", mount->name)) {
    // The user's Software\Classes is the classes hive, where the image has one.
    if (auto classes = FindMount(kHkeyUsers, mount->name + "_Classes")) {
      ClassesCandidates(classes, Tail(rest, 2), view, out);
      return;
    }
    std::vector<TCandidate> inner;
    ClassesCandidates(mount, Tail(rest, 2), view, &inner);
    for (auto& c : inner) {
      c.components = Prepend({rest[0], rest[1]}, c.components);
      out->push_back(std::move(c));
    }
    return;
  }
  if (AnsiEndsText("_Classes", mount->name)) {
    ClassesCandidates(mount, std::move(rest), view, out);
    return;
  }
  out->push_back(TCandidate{mount, std::move(rest)});
}

TOfflineRegistry::TResolved TOfflineRegistry::Resolve(uint32_t root,
                                                      const std::vector<std::string>& components,
                                                      TRegView view) {
  TResolved result;
  std::vector<TCandidate> candidates;
  switch (root) {
    case kHkeyLocalMachine: {
      if (components.empty()) {
        result.virtual_root = TVirtualRoot::vrMachine;
        return result;
      }
      auto mount = FindMount(kHkeyLocalMachine, components[0]);
      if (!mount) return result;
      MachineCandidates(mount, Tail(components, 1), view, &candidates, &result.extra_names);
      break;
    }
    case kHkeyUsers: {
      if (components.empty()) {
        result.virtual_root = TVirtualRoot::vrUsers;
        return result;
      }
      auto mount = FindMount(kHkeyUsers, components[0]);
      if (!mount) return result;
      UserCandidates(mount, Tail(components, 1), view, &candidates);
      break;
    }
    case kHkeyCurrentUser: {
      auto mount = UserMount();
      if (!mount) return result;
      UserCandidates(mount, components, view, &candidates);
      break;
    }
    case kHkeyClassesRoot: {
      if (auto user = UserMount()) {
        UserCandidates(user, Prepend({"Software", "Classes"}, components), view, &candidates);
      }
      result.create_index = candidates.size();
      if (auto software = FindMount(kHkeyLocalMachine, "SOFTWARE")) {
        MachineCandidates(software, Prepend({"Classes"}, components), view, &candidates, nullptr);
      }
      break;
    }
    case kHkeyCurrentConfig: {
      auto system = FindMount(kHkeyLocalMachine, "SYSTEM");
      if (!system) return result;
      MachineCandidates(system, Prepend({"CurrentControlSet", "Hardware Profiles", "Current"}, components),
                        view, &candidates, nullptr);
      break;
    }
    default:
      return result;
  }
  for (auto& c : candidates) result.layers.push_back(Walk(std::move(c)));
  if (result.create_index >= result.layers.size()) result.create_index = 0;
  return result;
}

std::unique_ptr<TRegKey> TOfflineRegistry::Open(uint32_t root, std::string_view path, TRegView view) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  TResolved resolved = Resolve(root, SplitKeyPath(path), view);
  bool exists = resolved.virtual_root != TVirtualRoot::vrNone;
  for (const auto& layer : resolved.layers) exists = exists || layer.exists;
  if (!exists) return nullptr;
  return std::make_unique<TOfflineKey>(this, root, std::string(path), view, std::move(resolved),
                                       generation_);
}

std::unique_ptr<TRegKey> TOfflineRegistry::Create(uint32_t root, std::string_view path, TRegView view,
                                                  bool force) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (auto existing = Open(root, path, view)) return existing;
  if (!writable_ && !force) return nullptr;
  TResolved resolved = Resolve(root, SplitKeyPath(path), view);
  if (resolved.layers.empty()) return nullptr;
  TLayer& target = resolved.layers[resolved.create_index];
  TMemKey* mem = Materialize(&target);
  mem->Touch(FileTimeNow());
  Touch();
  return Open(root, path, view);
}

bool TOfflineRegistry::Delete(uint32_t root, std::string_view path, TRegView view, bool force) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!writable_ && !force) return false;
  std::vector<std::string> parts = SplitKeyPath(path);
  TResolved resolved = Resolve(root, parts, view);
  bool deleted = false;
  for (auto& layer : resolved.layers) {
    if (!layer.exists || layer.components.empty()) continue;  // a hive's root stays
    Materialize(&layer)->MarkDeleted();
    deleted = true;
  }
  if (deleted) Touch();
  return deleted;
}

bool TOfflineRegistry::SetValue(uint32_t root, std::string_view path, TRegView view,
                                std::string_view name, const TRegValue& value, bool force) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!writable_ && !force) return false;
  TResolved resolved = Resolve(root, SplitKeyPath(path), view);
  for (auto& layer : resolved.layers) {
    if (!layer.exists) continue;
    TMemKey* mem = Materialize(&layer);
    mem->SetValue(name, value);
    mem->Touch(FileTimeNow());
    Touch();
    return true;
  }
  return false;
}

bool TOfflineRegistry::LoadHive(uint32_t root, std::string_view name, const std::string& host_file,
                                std::string* error) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if ((root != kHkeyLocalMachine && root != kHkeyUsers) || name.empty() ||
      name.find('\\') != std::string_view::npos || FindMount(root, name)) {
    if (error) *error = "the name is taken or invalid";
    return false;
  }
  auto hive = THive::Open(host_file, error);
  if (!hive) return false;
  auto mount = Mount(root, name, std::move(hive));
  mount->sources.push_back(host_file);
  return true;
}

bool TOfflineRegistry::UnloadHive(uint32_t root, std::string_view name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto it = mounts_.begin(); it != mounts_.end(); ++it) {
    if ((*it)->root == root && AnsiSameText((*it)->name, name)) {
      (*it)->unloaded = true;
      mount_index_.erase(MountKey(root, name));
      mounts_.erase(it);
      Touch();
      return true;
    }
  }
  return false;
}

void TOfflineRegistry::Apply(const std::vector<TRegOp>& ops, std::string_view hkcu_sid,
                             std::string_view label, std::vector<std::string>* messages) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (const TRegOp& op : ops) {
    std::vector<std::string> parts = SplitKeyPath(op.key);
    if (parts.empty()) continue;
    const std::string& root_name = parts[0];
    uint32_t root = 0;
    std::vector<std::string> rest = Tail(parts, 1);
    const TRegRoot* named = RegRootOfName(root_name);
    uint32_t handle = named ? named->handle : (root_name == kHkeyUsersOtherName ? kHkeyUsers : 0);
    switch (handle) {
      case kHkeyLocalMachine:
      case kHkeyUsers:
        root = handle;
        break;
      case kHkeyCurrentUser:
        root = kHkeyUsers;
        rest = Prepend({hkcu_sid.empty() ? std::string_view(".DEFAULT") : hkcu_sid}, rest);
        break;
      case kHkeyClassesRoot:
        // Imported class keys go to the machine's classes, as regedit stores them.
        root = kHkeyLocalMachine;
        rest = Prepend({"SOFTWARE", "Classes"}, rest);
        break;
      case kHkeyCurrentConfig:
        root = kHkeyLocalMachine;
        rest = Prepend({"SYSTEM", "CurrentControlSet", "Hardware Profiles", "Current"}, rest);
        break;
      default:
        break;  // no hive of an image holds the other roots
    }
    if (root == 0) {
      if (messages && op.kind != TRegOpKind::roValue && op.kind != TRegOpKind::roDeleteValue) {
        messages->push_back(std::string(label) + ":" + std::to_string(op.line) +
                            ": unknown root key \"" + root_name + "\"");
      }
      continue;
    }
    if (rest.empty()) {
      if (messages && op.kind != TRegOpKind::roValue && op.kind != TRegOpKind::roDeleteValue) {
        messages->push_back(std::string(label) + ":" + std::to_string(op.line) +
                            ": a root key itself cannot be changed");
      }
      continue;
    }
    if (!FindMount(root, rest[0])) Mount(root, rest[0], nullptr);
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (i) path += '\\';
      path += rest[i];
    }
    switch (op.kind) {
      case TRegOpKind::roKey:
        Create(root, path, TRegView::rv64, true);
        break;
      case TRegOpKind::roDeleteKey:
        if (rest.size() == 1) {
          if (auto m = FindMount(root, rest[0])) {
            m->overlay.MarkDeleted();
            Touch();
          }
        } else {
          Delete(root, path, TRegView::rv64, true);
        }
        break;
      case TRegOpKind::roValue:
        Create(root, path, TRegView::rv64, true);
        SetValue(root, path, TRegView::rv64, op.value_name, op.value, true);
        break;
      case TRegOpKind::roDeleteValue: {
        TResolved resolved = Resolve(root, rest, TRegView::rv64);
        for (auto& layer : resolved.layers) {
          if (!layer.exists) continue;
          Materialize(&layer)->DeleteValue(op.value_name);
          Touch();
          break;
        }
        break;
      }
    }
  }
}

}  // namespace vx
