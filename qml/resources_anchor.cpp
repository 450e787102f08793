// Keeps the resource object library non-empty before any page exists.
namespace pryx { int resourcesAnchor = 0; }
