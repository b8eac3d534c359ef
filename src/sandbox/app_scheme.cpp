#include "sandbox/app_scheme.h"

#include "desktop/module_properties.h"
#include "package/manifest.h"
#include "platform/text.h"
#include "platform/prefix.h"
#include "sandbox/app_address.h"
#include "sandbox/profiles.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <filesystem>
#include <nlohmann/json.hpp>

// The page of a toy's frame, and the interface of imported wallpapers' pages (src/pages/).
namespace pages {
extern const char kToyFrame[], kWallpaperInterface[];
}

namespace sandbox {

namespace {

QByteArray ContentType(const std::string& path) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {".htm", "text/html"},       {".html", "text/html"},     {".js", "text/javascript"},
        {".css", "text/css"},        {".txt", "text/plain"},     {".json", "application/json"},
        {".png", "image/png"},       {".jpg", "image/jpeg"},     {".jpeg", "image/jpeg"},
        {".gif", "image/gif"},       {".bmp", "image/bmp"},      {".svg", "image/svg+xml"},
        {".webp", "image/webp"},     {".ico", "image/x-icon"},   {".webm", "video/webm"},
        {".mp4", "video/mp4"},       {".ogv", "video/ogg"},      {".ogg", "audio/ogg"},
        {".mp3", "audio/mpeg"},      {".wav", "audio/wav"},      {".woff", "font/woff"},
        {".woff2", "font/woff2"},    {".ttf", "font/ttf"},       {".otf", "font/otf"}};
    for (auto [ext, type] : kTypes)
        if (platform::EndsWithNoCase(path, ext)) return type;
    return "application/octet-stream";
}

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& body) {
    auto* buffer = new QBuffer(job);
    buffer->setData(body);
    job->reply(type, buffer);
}

QJsonObject ReadToyData(const std::string& toy) {
    std::string text;
    if (!platform::ReadWholeFile(ToyDataFile(toy), text)) return {};
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// GET .../storage gives the toy's keys; ?key=K&value=V sets one, written at
// once (atomically, so a host ended a moment later keeps it).
void ToyData(QWebEngineUrlRequestJob* job, const std::string& toy) {
    QUrlQuery query(job->requestUrl());
    QJsonObject data = ReadToyData(toy);
    if (query.hasQueryItem("key")) {
        data[query.queryItemValue("key", QUrl::FullyDecoded)] =
            query.queryItemValue("value", QUrl::FullyDecoded);
        QByteArray text = QJsonDocument(data).toJson(QJsonDocument::Compact);
        if (text.size() > kToyDataQuota) {
            Warn(QString("the toy %1 is over its storage quota").arg(QString::fromStdString(toy)));
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        std::string file = ToyDataFile(toy);
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
        platform::WriteLock lock;
        if (platform::WriteFileAtomic(file, text.toStdString()) != 0) {
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
    }
    Reply(job, "application/json", QJsonDocument(data).toJson(QJsonDocument::Compact));
}

// What an imported wallpaper's page expects of its program, with the module's
// values of the moment, so that the page has them before its first frame.
// Our own modules have none.
void WallpaperInterface(QWebEngineUrlRequestJob* job, const std::string& folder) {
    using nlohmann::json;
    json manifest = json::parse(platform::ReadWholeFile(folder + "/" + package::kManifestName),
                                nullptr, false);
    if (!manifest.is_object() || !manifest.contains("imported") || !manifest["imported"].is_object()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    module_properties::Module m = module_properties::Read(folder);
    // The properties in their declared order, and each choice's labels (the
    // page gets a choice by its place among them).
    json order = json::array(), choices = json::object();
    for (const package::Property& p : m.declared) {
        if (p.type == package::Property::Label) continue;
        order.push_back(p.name);
        if (p.type == package::Property::Choice) choices[p.name] = p.choices;
    }
    json config = {{"imported", manifest["imported"]},
                   {"values", json::parse(module_properties::ValuesJson(m))},
                   {"order", order},
                   {"choices", choices},
                   {"fps", kWallpaperFps}};
    Reply(job, "text/javascript",
          QByteArray::fromStdString(platform::FillFields(pages::kWallpaperInterface,
                                                         {{"CONFIG", config.dump()}})));
}

} // namespace

void RegisterAppScheme() {
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // A secure context, each host an origin of its own.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void AppSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl url = job->requestUrl();
    QUrl from = job->initiator();
    std::string initiator;
    if (!from.isEmpty()) initiator = (from.scheme() + "://" + from.host()).toStdString();
    if (job->requestMethod() != "GET" || root_.empty()) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    Access a = Resolve(root_, url.host().toStdString(), url.path().toStdString(),
                       url.path(QUrl::FullyEncoded).toStdString(), initiator);
    switch (a.kind) {
    case Access::Refused:
        if (a.why != "not found")
            Warn(QString("refused %1 (%2) from %3").arg(url.toDisplayString(), QString::fromStdString(a.why), job->initiator().toString()));
        job->fail(a.why == "not found" ? QWebEngineUrlRequestJob::UrlNotFound
                                       : QWebEngineUrlRequestJob::RequestDenied);
        return;
    case Access::ToyFrame:
        Reply(job, "text/html", pages::kToyFrame);
        return;
    case Access::ToyFrameElsewhere:
        job->redirect(QUrl(QString::fromStdString(a.url)));
        return;
    case Access::ToyData:
        ToyData(job, a.toy);
        return;
    case Access::ModuleProperties:
        Reply(job, "application/json",
              QByteArray::fromStdString(module_properties::ValuesJson(module_properties::Read(a.native))));
        return;
    case Access::WallpaperInterface:
        WallpaperInterface(job, a.native);
        return;
    case Access::File: {
        auto* file = new QFile(QString::fromStdString(a.native), job);
        if (!file->open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        job->reply(ContentType(a.native), file);
        return;
    }
    }
}

} // namespace sandbox
