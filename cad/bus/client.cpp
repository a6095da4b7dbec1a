#include "cad/bus/client.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <optional>
#include <vector>

#include "cad/bus/protocol.h"
#include "cad/bus/qvariant.h"

namespace veskar::cad::bus {
namespace {

// Batches can be large; the application answers a full one in well under a second.
constexpr int kBatchTimeoutMs = 120000;

// What names an object: its path once known, the position of the queued operation that will
// give it, or the failure that kept it from being made.
struct Ref {
  QString path;
  qsizetype pending = -1;         // position in the batch of generation `generation`
  std::uint64_t generation = 0;
  std::optional<CadError> failure;
};

// A value as it goes on the wire inside a variant. An empty variant cannot travel; it is
// refused here, before anything is queued.
QVariant toWireValue(const Variant& v, const char* what) {
  if (v.index() == 0)
    throw CadError(errc::TypeMismatch, std::string(what) +
                                           ": a value of type VT_EMPTY cannot be passed to the drawing application.");
  return toQVariant(v);
}

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

  // Queues an operation on `target`; gives the Ref of the object it yields when `produces`.
  std::shared_ptr<Ref> enqueue(const Ref& target, const QString& member, QVariantList args,
                               bool produces, bool entity = false) {
    // A full queue goes out where the next operation starts from a known object (so that it
    // does not wait for the batch before), or in any case at four times the limit.
    if ((ops_.size() >= qsizetype(limit_) && target.pending < 0) || ops_.size() >= 4 * qsizetype(limit_))
      send();
    lastIsSet_ = false;
    BusOp op;
    op.target = targetOf(target);
    op.member = member;
    op.args = std::move(args);
    ops_.append(std::move(op));
    std::shared_ptr<Ref> r;
    if (produces) {
      r = std::make_shared<Ref>();
      r->pending = ops_.size() - 1;
      r->generation = generation_;
    }
    producers_.push_back(r);
    isEntity_.push_back(entity);
    return r;
  }

  // Queues setting a property. Consecutive sets on one object travel as one Set operation
  // with several name-value pairs; the application still sets them one by one, in order.
  void enqueueSet(const Ref& target, const QString& property, const QVariant& value) {
    const QString t = targetOf(target);
    if (lastIsSet_ && !ops_.isEmpty() && ops_.last().target == t && ops_.last().args.size() < 64) {
      ops_.last().args << property << value;
      return;
    }
    enqueue(target, QStringLiteral("Set"), {property, value}, false);
    lastIsSet_ = true;
  }

  // Queues an operation, sends the queue and gives that operation's result.
  QVariant enqueueAndRead(const Ref& target, const QString& member, QVariantList args) {
    enqueue(target, member, std::move(args), false);
    const QVariantList results = flush();
    return results.isEmpty() ? QVariant() : fromWire(results.last());
  }

  // Sends the queue and waits for the outcome; gives the results of the last batch.
  QVariantList flush() {
    send();
    return settle();
  }

  std::size_t entitiesAdded() const { return entitiesAdded_; }

 private:
  // A batch sent and not yet answered.
  struct InFlight {
    QDBusPendingCall call;
    std::vector<std::shared_ptr<Ref>> producers;
    std::vector<bool> isEntity;
  };

  // Sends the queue as one batch without waiting for its answer, so that the next batch is
  // built while the application runs this one. Only one batch is ever on its way: the
  // previous one is settled first, and a failure there stops everything queued since.
  void send() {
    settle();
    if (ops_.isEmpty()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(service_, QLatin1String(kApplicationPath),
                                                       QLatin1String(kApplicationInterface),
                                                       QStringLiteral("Batch"));
    call << QVariant::fromValue(ops_);
    InFlight f{connection_.asyncCall(call, kBatchTimeoutMs), {}, {}};
    f.producers.swap(producers_);
    f.isEntity.swap(isEntity_);
    inFlight_ = std::move(f);
    ops_.clear();
    lastIsSet_ = false;
    ++generation_;
  }

  // Waits for the batch on its way and takes in its outcome: objects it gave get their
  // paths; on failure, those it did not give and everything queued since refuse further use,
  // and the failure is thrown.
  QVariantList settle() {
    if (!inFlight_) return {};
    InFlight f = std::move(*inFlight_);
    inFlight_.reset();
    f.call.waitForFinished();
    const QDBusMessage reply = f.call.reply();

    QVariantList results;
    qsizetype done = 0;  // operations that ran
    std::optional<CadError> failure;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 4) {
      const QList<QVariant> a = reply.arguments();
      results = qdbus_cast<QVariantList>(a[0]);
      done = results.size();
      if (a[1].toInt() >= 0) {
        done = std::min<qsizetype>(done, a[1].toInt());
        failure = CadError(errorNumber(a[2].toString()), utf8(a[3].toString()));
      }
    } else {
      // The batch did not run, or its outcome is unknown (the application went away).
      QString text = reply.errorMessage();
      if (text.isEmpty()) text = QStringLiteral("The drawing application gave an answer that cannot be read.");
      failure = CadError(reply.type() == QDBusMessage::ErrorMessage ? errorNumber(reply.errorName()) : errc::Fail,
                         utf8(text));
    }
    for (std::size_t i = 0; i < f.producers.size(); ++i) {
      Ref* r = f.producers[i].get();
      if (qsizetype(i) < done) {
        if (f.isEntity[i]) ++entitiesAdded_;
        if (r) {
          r->pending = -1;
          r->path = qvariant_cast<QDBusObjectPath>(fromWire(results[qsizetype(i)])).path();
          if (r->path.isEmpty()) r->failure = CadError(errc::Fail, "The drawing application gave no object.");
        }
      } else if (r) {
        r->pending = -1;
        r->failure = failure;
      }
    }
    if (failure) {
      for (const auto& r : producers_) {
        if (r) {
          r->pending = -1;
          r->failure = failure;
        }
      }
      ops_.clear();
      producers_.clear();
      isEntity_.clear();
      lastIsSet_ = false;
      ++generation_;
      throw *failure;
    }
    return results;
  }

  QString targetOf(const Ref& r) {
    if (r.pending >= 0 && r.generation != generation_) settle();  // given by the batch on its way
    if (r.failure) throw *r.failure;
    if (r.pending >= 0) return QLatin1Char('$') + QString::number(r.pending);
    return r.path;
  }

  QDBusConnection connection_;
  QString service_;
  std::size_t limit_;
  QList<BusOp> ops_;
  std::vector<std::shared_ptr<Ref>> producers_;
  std::vector<bool> isEntity_;
  std::optional<InFlight> inFlight_;
  std::uint64_t generation_ = 0;  // counts batches sent; queued Refs carry the current one
  std::size_t entitiesAdded_ = 0;
  bool lastIsSet_ = false;  // the last queued operation is a Set that may take more pairs
};

// The part every object shares: its Ref and the queue; properties by name.
class Remote {
 public:
  Remote(std::shared_ptr<Queue> q, std::shared_ptr<Ref> ref) : q_(std::move(q)), ref_(std::move(ref)) {}

  Variant get(const std::string& property) {
    return fromQVariant(q_->enqueueAndRead(*ref_, QStringLiteral("Get"), {qt(property)}));
  }
  void put(const std::string& property, const Variant& value) {
    q_->enqueueSet(*ref_, qt(property), toWireValue(value, "value"));
  }
  std::shared_ptr<Ref> produce(const char* member, QVariantList args, bool entity = false) {
    return q_->enqueue(*ref_, QLatin1String(member), std::move(args), true, entity);
  }
  void runNow(const char* member, QVariantList args) {
    q_->enqueue(*ref_, QLatin1String(member), std::move(args), false);
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
    return std::make_shared<BusTextStyle>(Remote(r_.q_, r_.produce("Add", {qt(name)})));
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
    QVariantList args{toWireValue(text, "AddText text"), toQVariant(point),
                      toWireValue(height, "AddText height")};
    return std::make_shared<BusEntity>(Remote(r_.q_, r_.produce("AddText", std::move(args), true)));
  }
  std::shared_ptr<CadEntity> AddLightWeightPolyline(const std::vector<double>& vertices) override {
    return std::make_shared<BusEntity>(
        Remote(r_.q_, r_.produce("AddLightWeightPolyline", {toQVariant(vertices)}, true)));
  }

 private:
  Remote r_;
};

class BusDocument final : public CadDocument {
 public:
  explicit BusDocument(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadTextStyles> TextStyles() override {
    return std::make_shared<BusTextStyles>(Remote(r_.q_, r_.produce("Get", {QStringLiteral("TextStyles")})));
  }
  std::shared_ptr<CadModelSpace> ModelSpace() override {
    return std::make_shared<BusModelSpace>(Remote(r_.q_, r_.produce("Get", {QStringLiteral("ModelSpace")})));
  }
  void SaveAs(const std::string& path) override { r_.runNow("SaveAs", {qt(path)}); }
  void Close() override { r_.runNow("Close", {}); }

 private:
  Remote r_;
};

class BusApplication final : public CadApplication {
 public:
  explicit BusApplication(Remote r) : r_(std::move(r)) {}
  VESKAR_REMOTE_PROPERTIES
  std::shared_ptr<CadDocument> ActiveDocument() override {
    return std::make_shared<BusDocument>(Remote(r_.q_, r_.produce("Get", {QStringLiteral("ActiveDocument")})));
  }
  void Activate() override { r_.runNow("Activate", {}); }
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
  ref->path = QLatin1String(kApplicationPath);
  return std::make_shared<BusApplication>(Remote(std::move(q), std::move(ref)));
}

}  // namespace veskar::cad::bus
