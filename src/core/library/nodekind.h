#pragma once

// What a node of the document tree stands for.
enum class NodeKind
{
    None,     // no node, the collection's root, or a folder's expansion stub
    Document, // a document's file
    Folder,   // a folder of the library
};
