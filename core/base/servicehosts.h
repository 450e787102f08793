#pragma once
// Host names of every service the program talks to. Each has a built-in
// value; an environment variable, read each time the host is asked for, replaces it (a host name
// or host:port, e.g. for a stand-in server on 127.0.0.1):
//
//   PRYX_AUTH_HOST            authorisation site (also "-beta" <auth>)
//   PRYX_API_HOST             service API (also "-beta" ... <api>)
//   PRYX_SUPPORT_HOST         support API (tickets, ping)
//   PRYX_ANALYTICS_HOST       analytics collector
//   PRYX_UPDATE_HOST          update check and downloads
//   PRYX_DROPBOX_WEB_HOST     Dropbox authorisation page
//   PRYX_DROPBOX_API_HOST     Dropbox API (token, account, shared links)
//   PRYX_DROPBOX_CONTENT_HOST Dropbox file upload
//
// This is the only place that knows the built-in hosts; everything else asks
// serviceHost() (or Core for the two that "-beta" replaces).

#include <QString>

namespace pryx {

enum class Service {
    Auth,
    Api,
    Support,
    Analytics,
    Update,
    DropboxWeb,
    DropboxApi,
    DropboxContent,
};

// The host for a service: the environment override when set and not empty,
// else the built-in value.
QString serviceHost(Service service);
// The built-in host, ignoring the environment.
QString defaultServiceHost(Service service);
// The environment variable that overrides the host.
const char *serviceHostVariable(Service service);

} // namespace pryx
