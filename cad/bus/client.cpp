#include "cad/bus/client.h"

#include <QByteArray>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <optional>
#include <vector>

#include "cad/bus/packed.h"
#include "cad/bus/protocol.h"
#include "cad/bus/qvariant.h"
#include "cad/members.h"

namespace veskar::cad::bus {
namespace {

// Batches can be large; the application answers a full one in well under a second.
constexpr int kBatchTimeoutMs = 120000;

// What names an object: its path once known, the position of the queued operation that will
// give it (and which of the objects that operation gives), or the failure that kept it from
// being made. A look-up not yet queued (`parent`'s property `member`) waits until anything else
// is queued, so that it still runs where it was asked for, or travels with the creation it
// leads to as one operation.
struct Ref {
  std::string path;
  std::ptrdiff_t pending = -1;        // position in the batch of generation `generation`
  int part = -1;                  // which object of that operation: -1 the last it gives
  std::uint64_t generation = 0;
  std::optional<CadError> failure;
  std::shared_ptr<Ref> parent;    // set while the look-up is not queued
  std::string member;
};

// A value as it is sent. An empty variant cannot travel; it is refused here, before anything is
// queued.
const Variant& checkedValue(const Variant& v, const char* what) {
  if (v.index() == 0)
    throw CadError(errc::TypeMismatch, std::string(what) +
                                           ": a value of type VT_EMPTY cannot be passed to the drawing application.");
  return v;
}

using Args = std::vector<Variant>;

class Queue {
 public:
  Queue(QDBusConnection connection, QString service, std::size_t limit)
      : connection_(std::move(connection)), service_(std::move(service)), limit_(limit ? limit : 1) {
    registerBusTypes();
  }
  ~Queue() {
    if (inFlight_) inFlight_->call.waitForFinished();
  }
  Queue(const Queue&) = delete;
  Queue& operator=(const Queue&) = delete;

  // The object `target`'s property `member` gives (ActiveDocument, ModelSpace, TextStyles),
  // looked up when anything else is queued.
  std::shared_ptr<Ref> lookUp(const std::shared_ptr<Ref>& target, const char* member) {
    auto r = std::make_shared<Ref>();
    r->parent = target;
    r->member = member;
    deferred_.push_back(r);
    return r;
  }

  // Queues an operation on `target`; gives the Ref of the object it yields when `produces`.
  // A method called on the end of the look-ups not yet queued travels with them as one
  // operation ("ActiveDocument.ModelSpace.AddText"), which the application runs as the look-ups
  // and the call in turn.
  std::shared_ptr<Ref> enqueue(const std::shared_ptr<Ref>& target, std::string member, Args args, bool produces,
                               bool entity = false) {
    if (target->parent && member != "Get" && member != "Set" && chainIsDeferred(target))
      return enqueueChain(member, std::move(args), produces, entity);
    materialize();
    return enqueuePlain(*target, member, std::move(args), produces, entity);
  }

  // Queues setting a property. Consecutive sets on one object travel as one Set operation
  // with several name-value pairs; the application still sets them one by one, in order.
  void enqueueSet(const std::shared_ptr<Ref>& target, const std::string& property, const Variant& value) {
    materialize();
    const std::string t = targetOf(*target);
    if (lastIsSet_ && !ops_.empty() && ops_.back().target == t && ops_.back().args.size() < 64) {
      ops_.back().args.push_back(property);
      ops_.back().args.push_back(value);
      return;
    }
    enqueuePlain(*target, "Set", {property, value}, false);
    lastIsSet_ = true;
  }

  // Queues an operation, sends the queue and gives that operation's result.
  Variant enqueueAndRead(const std::shared_ptr<Ref>& target, std::string member, Args args) {
    enqueue(target, std::move(member), std::move(args), false);
    std::vector<packed::Result> results = flush();
    return results.empty() ? Variant() : std::move(results.back().value);
  }

  // Sends the queue and waits for the outcome; gives the results of the last batch.
  std::vector<packed::Result> flush() {
    send();
    return settle();
  }

  std::size_t entitiesAdded() const { return entitiesAdded_; }

 private:
  // What an operation gives: the Refs of its objects (the look-ups' first), and whether it
  // added an entity.
  struct Produced {
    std::vector<std::shared_ptr<Ref>> refs;
    bool entity = false;
  };
  // A batch sent and not yet answered.
  struct InFlight {
    QDBusPendingCall call;
    std::vector<Produced> produced;
  };

  std::shared_ptr<Ref> enqueuePlain(const Ref& target, std::string member, Args args, bool produces,
                                    bool entity = false) {
    // A full queue goes out where the next operation starts from a known object (so that it
    // does not wait for the batch before), or in any case at four times the limit.
    if ((ops_.size() >= limit_ && target.pending < 0) || ops_.size() >= 4 * limit_) send();
    lastIsSet_ = false;
    ops_.push_back(packed::Op{targetOf(target), std::move(member), std::move(args)});
    Produced p{{}, entity};
    if (produces) p.refs.push_back(std::make_shared<Ref>());
    for (const auto& r : p.refs) mark(*r, -1);
    produced_.push_back(std::move(p));
    return produces ? produced_.back().refs.back() : nullptr;
  }

  // Whether the look-ups not yet queued are exactly the chain that ends in `target`.
  bool chainIsDeferred(const std::shared_ptr<Ref>& target) const {
    std::size_t n = 0;
    for (const Ref* r = target.get(); r && r->parent; r = r->parent.get()) {
      if (n >= deferred_.size() || deferred_[deferred_.size() - 1 - n].get() != r) return false;
      ++n;
    }
    return n == deferred_.size();
  }

  std::shared_ptr<Ref> enqueueChain(const std::string& member, Args args, bool produces, bool entity) {
    std::vector<std::shared_ptr<Ref>> chain;
    chain.swap(deferred_);  // a full queue sent on the way must not queue them on their own
    const Ref& root = *chain.front()->parent;
    std::string path;
    for (const auto& r : chain) path += r->member + '.';
    std::shared_ptr<Ref> made = enqueuePlain(root, path + member, std::move(args), produces, entity);
    Produced& p = produced_.back();
    for (std::size_t i = 0; i < chain.size(); ++i) {
      chain[i]->parent.reset();
      mark(*chain[i], static_cast<int>(i));
    }
    p.refs.insert(p.refs.begin(), chain.begin(), chain.end());
    if (produces) mark(*made, static_cast<int>(chain.size()));
    return made;
  }

  // Queues the look-ups not yet queued, in the order they were asked for.
  void materialize() {
    std::vector<std::shared_ptr<Ref>> waiting;
    waiting.swap(deferred_);
    for (const auto& r : waiting) {
      const std::shared_ptr<Ref> parent = std::move(r->parent);
      enqueuePlain(*parent, "Get", {r->member}, true);
      produced_.back().refs.back() = r;
      mark(*r, -1);
    }
  }

  void mark(Ref& r, int part) {
    r.pending = std::ptrdiff_t(ops_.size()) - 1;
    r.part = part;
    r.generation = generation_;
  }

  // Sends the queue as one batch without waiting for its answer, so that the next batch is
  // built while the application runs this one. Only one batch is ever on its way: the
  // previous one is settled first, and a failure there stops everything queued since.
  void send() {
    materialize();
    settle();
    if (ops_.empty()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(service_, QLatin1String(kApplicationPath),
                                                       QLatin1String(kApplicationInterface),
                                                       QStringLiteral("BatchPacked"));
    const std::string bytes = packed::encode(ops_);
    call << QByteArray(bytes.data(), qsizetype(bytes.size()));
    InFlight f{connection_.asyncCall(call, kBatchTimeoutMs), {}};
    f.produced.swap(produced_);
    inFlight_ = std::move(f);
    ops_.clear();
    lastIsSet_ = false;
    ++generation_;
  }

  // The outcome of the batch on its way: how many operations ran, their results, the failure.
  struct Outcome {
    std::vector<packed::Result> results;
    std::size_t done = 0;
    std::optional<CadError> failure;
  };
  static Outcome outcomeOf(const QDBusMessage& reply) {
    Outcome o;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 4) {
      const QList<QVariant> a = reply.arguments();
      const QByteArray bytes = a[0].toByteArray();
      try {
        o.results = packed::decodeResults(std::string_view(bytes.constData(), std::size_t(bytes.size())));
      } catch (const CadError&) {
        o.failure = CadError(errc::Fail, "The drawing application gave an answer that cannot be read.");
        return o;
      }
      o.done = o.results.size();
      if (a[1].toInt() >= 0) {
        o.done = std::min<std::size_t>(o.done, std::size_t(a[1].toInt()));
        o.failure = CadError(errorNumber(a[2].toString()), utf8(a[3].toString()));
      }
      return o;
    }
    // The batch did not run, or its outcome is unknown (the application went away).
    QString text = reply.errorMessage();
    if (text.isEmpty()) text = QStringLiteral("The drawing application gave an answer that cannot be read.");
    o.failure = CadError(reply.type() == QDBusMessage::ErrorMessage ? errorNumber(reply.errorName()) : errc::Fail,
                         utf8(text));
    return o;
  }

  // The objects an operation that ran gave: the look-ups' and the one it made.
  static void takePaths(const Produced& p, packed::Result& result) {
    for (std::size_t k = 0; k < p.refs.size(); ++k) {
      Ref& r = *p.refs[k];
      r.pending = -1;
      if (k < result.objects.size()) r.path = std::move(result.objects[k]);
      if (r.path.empty()) r.failure = CadError(errc::Fail, "The drawing application gave no object.");
    }
  }

  // Waits for the batch on its way and takes in its outcome: objects it gave get their
  // paths; on failure, those it did not give and everything queued since refuse further use,
  // and the failure is thrown.
  std::vector<packed::Result> settle() {
    if (!inFlight_) return {};
    InFlight f = std::move(*inFlight_);
    inFlight_.reset();
    f.call.waitForFinished();
    Outcome o = outcomeOf(f.call.reply());
    for (std::size_t i = 0; i < f.produced.size(); ++i) {
      if (i < o.done) {
        if (f.produced[i].entity) ++entitiesAdded_;
        takePaths(f.produced[i], o.results[i]);
      } else {
        fail(f.produced[i], *o.failure);
      }
    }
    if (o.failure) {
      for (const Produced& p : produced_) fail(p, *o.failure);
      for (const auto& r : deferred_) r->failure = o.failure, r->parent.reset();
      ops_.clear();
      produced_.clear();
      deferred_.clear();
      lastIsSet_ = false;
      ++generation_;
      throw *o.failure;
    }
    return o.results;
  }

  static void fail(const Produced& p, const CadError& failure) {
    for (const auto& r : p.refs) {
      r->pending = -1;
      r->failure = failure;
    }
  }

  std::string targetOf(const Ref& r) {
    if (r.pending >= 0 && r.generation != generation_) settle();  // given by the batch on its way
    if (r.failure) throw *r.failure;
    if (r.pending < 0) return r.path;
    std::string t = '$' + std::to_string(r.pending);
    if (r.part >= 0) t += '.' + std::to_string(r.part);
    return t;
  }

  QDBusConnection connection_;
  QString service_;
  std::size_t limit_;
  std::vector<packed::Op> ops_;
  std::vector<Produced> produced_;             // per queued operation
  std::vector<std::shared_ptr<Ref>> deferred_;  // look-ups not yet queued, in order
  std::optional<InFlight> inFlight_;
  std::uint64_t generation_ = 0;  // counts batches sent; queued Refs carry the current one
  std::size_t entitiesAdded_ = 0;
  bool lastIsSet_ = false;  // the last queued operation is a Set that may take more pairs
};

// The part every object shares: its Ref and the queue; properties by name.
class Remote {
 public:
  Remote(std::shared_ptr<Queue> q, std::shared_ptr<Ref> ref) : q_(std::move(q)), ref_(std::move(ref)) {}

  Variant get(const std::string& property) { return q_->enqueueAndRead(ref_, "Get", {property}); }
  void put(const std::string& property, const Variant& value) {
    q_->enqueueSet(ref_, property, checkedValue(value, "value"));
  }
  std::shared_ptr<Ref> produce(Member member, Args args, bool entity = false) {
    return q_->enqueue(ref_, nameOf(member), std::move(args), true, entity);
  }
  std::shared_ptr<Ref> lookUp(Member member) { return q_->lookUp(ref_, nameOf(member)); }
  void runNow(Member member, Args args) {
    q_->enqueue(ref_, nameOf(member), std::move(args), false);
    q_->flush();
  }

  std::shared_ptr<Queue> q_;
  std::shared_ptr<Ref> ref_;
};

#define VESKAR_REMOTE_PROPERTIES                                                   \
  Variant Get(const std::string& property) override { return r_.get(property); }  \
  void Put(const std::string& property, const Variant& value) override { r_.put(property, value); }

class BusEntity final : public CadEntity {
 public:
  explicit BusEntity(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
 private:
  Remote r_;
};

class BusTextStyle final : public CadTextStyle {
 public:
  explicit BusTextStyle(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
 private:
  Remote r_;
};

class BusTextStyles final : public CadTextStyles {
 public:
  explicit BusTextStyles(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadTextStyle> Add(const std::string& name) override {
    return std::make_shared<BusTextStyle>(Remote(r_.q_, r_.produce(Member::Add, {name})));
  }

 private:
  Remote r_;
};

class BusLayer final : public CadLayer {
 public:
  explicit BusLayer(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
 private:
  Remote r_;
};

class BusLayers final : public CadLayers {
 public:
  explicit BusLayers(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadLayer> Add(const std::string& name) override {
    return std::make_shared<BusLayer>(Remote(r_.q_, r_.produce(Member::Add, {name})));
  }

 private:
  Remote r_;
};

class BusModelSpace final : public CadModelSpace {
 public:
  explicit BusModelSpace(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadEntity> AddText(const Variant& text, const std::vector<double>& point,
                                     const Variant& height) override {
    Args args{checkedValue(text, "AddText text"), point, checkedValue(height, "AddText height")};
    return std::make_shared<BusEntity>(Remote(r_.q_, r_.produce(Member::AddText, std::move(args), true)));
  }
  std::shared_ptr<CadEntity> AddLightWeightPolyline(const std::vector<double>& vertices) override {
    return std::make_shared<BusEntity>(
        Remote(r_.q_, r_.produce(Member::AddLightWeightPolyline, {vertices}, true)));
  }
  std::shared_ptr<CadEntity> AddLine(const std::vector<double>& start, const std::vector<double>& end) override {
    return std::make_shared<BusEntity>(Remote(r_.q_, r_.produce(Member::AddLine, {start, end}, true)));
  }

 private:
  Remote r_;
};

class BusDocument final : public CadDocument {
 public:
  explicit BusDocument(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadTextStyles> TextStyles() override {
    return std::make_shared<BusTextStyles>(Remote(r_.q_, r_.lookUp(Member::TextStyles)));
  }
  std::shared_ptr<CadModelSpace> ModelSpace() override {
    return std::make_shared<BusModelSpace>(Remote(r_.q_, r_.lookUp(Member::ModelSpace)));
  }
  std::shared_ptr<CadLayers> Layers() override {
    return std::make_shared<BusLayers>(Remote(r_.q_, r_.lookUp(Member::Layers)));
  }
  void SaveAs(const std::string& path) override { r_.runNow(Member::SaveAs, {path}); }
  void Close() override { r_.runNow(Member::Close, {}); }

 private:
  Remote r_;
};

class BusApplication final : public CadApplication {
 public:
  explicit BusApplication(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadDocument> ActiveDocument() override {
    return std::make_shared<BusDocument>(Remote(r_.q_, r_.lookUp(Member::ActiveDocument)));
  }
  void Activate() override { r_.runNow(Member::Activate, {}); }
  void Flush() override { r_.q_->flush(); }
  std::size_t EntitiesAdded() const override { return r_.q_->entitiesAdded(); }

 private:
  Remote r_;
};

#undef VESKAR_REMOTE_PROPERTIES

}  // namespace

std::shared_ptr<CadApplication> makeBusApplication(QDBusConnection connection, const QString& service,
                                                   std::size_t batchLimit) {
  auto q = std::make_shared<Queue>(std::move(connection), service, batchLimit);
  auto ref = std::make_shared<Ref>();
  ref->path = kApplicationPath;
  return std::make_shared<BusApplication>(Remote(std::move(q), std::move(ref)));
}

}  // namespace veskar::cad::bus
