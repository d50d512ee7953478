// End to end with the official MCP TypeScript SDK client: spawn `planora mcp`, list the tools,
// call every tool with good and bad arguments, and read back the drawing it saves at the end.
// Usage: node sdk_client_test.mjs PLANORA_CLI TMP_DIR
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';
import { McpError } from '@modelcontextprotocol/sdk/types.js';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import test, { after } from 'node:test';

const [cli, tmp] = process.argv.slice(2);
assert.ok(cli && tmp, 'usage: node sdk_client_test.mjs PLANORA_CLI TMP_DIR');
fs.rmSync(tmp, { recursive: true, force: true });
fs.mkdirSync(tmp, { recursive: true });
// A one-pixel PNG for the picture tool.
fs.writeFileSync(path.join(tmp, 'dot.png'), Buffer.from(
  'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==', 'base64'));

const TOOLS = [
  'begin_update', 'end_update', 'get_drawing_info', 'list_items', 'get_item', 'setup_drawing', 'set_paper',
  'set_map_background', 'set_image_folder', 'clear_drawing', 'delete_item', 'modify_item', 'list_layers', 'add_layer',
  'modify_layer', 'set_active_layer', 'add_rectangle', 'add_circle', 'add_ellipse', 'add_sector', 'add_point',
  'add_line', 'add_arrow_line', 'add_polyline', 'add_polygon', 'add_arc', 'add_bezier', 'add_text', 'add_richtext', 'add_paragraph',
  'add_barcode', 'add_qrcode', 'add_datamatrix', 'add_pdf417', 'add_image', 'add_table', 'add_polytext', 'add_level', 'add_rank', 'add_nutriscore', 'add_package', 'add_flow', 'add_link',
  'load_symbol_library', 'add_symbol', 'create_symbol', 'save_symbol_library', 'create_symbol_library_from_image', 'add_dim_linear', 'add_dim_angle', 'add_dim_radial', 'add_dim_diameter',
  'load_gantt', 'load_diagram',
  'export_svg',
  'render_preview', 'export_document', 'save_drawing', 'load_drawing',
];
// Tools that replace the whole drawing, called in a test of their own.
const REPLACING = ['load_gantt', 'load_diagram', 'load_drawing'];

// Each tool once with arguments it accepts and once with arguments it refuses, in an order that
// builds a drawing: [tool, good arguments, expected text, bad arguments, expected error].
const CALLS = [
  ['clear_drawing', {}, /^Drawing cleared$/, { all: 'yes' }, /"all" must be true or false/],
  ['setup_drawing', { units: 'mm', mode: 'drawing', width: '200', height: 150, draw_scale: '10' },
    /^Drawing configured: 200\.0 x 150\.0 mm, mode=drawing, scale=1:10$/, { draw_scale: '1:10' }, /"draw_scale" must be an integer/],
  ['set_paper', { paper_name: 'A3', margin_left: 5 }, /^Paper: A3 297\.0 x 420\.0 mm, label: 200\.0 x 150\.0, margins: L=5\.0 T=0\.0$/,
    { paper_name: 'Z9' }, /Unknown paper name "Z9"/],
  ['set_map_background', null, null, { latitude: 0, longitude: 0 }, /^latitude and longitude are required$/],
  ['set_image_folder', { folder: path.join(tmp, 'images') }, /^Image folder set to: ".*images"$/, { folder: 5 }, /must be a string/],
  ['add_layer', { name: 'Parts', color: '#ff0000', visible: true }, /^Layer added: index=2 name="Parts"$/, { visible: 'yes' },
    /"visible" must be an integer/],
  ['modify_layer', { index: 2, pen_width: 0.5 }, /^Layer 2 \("Parts"\) modified: 1 properties changed$/, { index: 9 },
    /^Invalid layer index 9\. Valid range: 1\.\.2$/],
  ['set_active_layer', { index: 2 }, /^Active layer set to 2 \("Parts"\)$/, { index: 0 }, /^Invalid layer index 0/],
  ['list_layers', {}, /"name":"Parts"/, { index: 1 }, /Unknown argument "index": list_layers takes no arguments/],
  ['begin_update', {}, /^BeginUpdate called - batch mode active$/, { now: true }, /Unknown argument "now"/],
  ['add_rectangle', { x: 10, y: 10, width: 30, height: 20, color: '#00ff00', filled: 1 },
    /^Rectangle added: id=1 at \(10\.0, 10\.0\) size 30\.0 x 20\.0$/, { x: 10, bogus: 1 }, /Unknown argument "bogus" for add_rectangle/],
  ['add_circle', { x: 50, y: 50, radius: 5 }, /^Circle added: id=2 center \(50\.0, 50\.0\) radius 5\.0$/, { radius: [5] }, /must be a number, not an array/],
  ['add_ellipse', { x: 80, y: 50, radius_x: 10, radius_y: 4 }, /^Ellipse added: id=3 center \(80\.0, 50\.0\) radii 10\.0 x 4\.0$/,
    { filled: 0.5 }, /must be a whole number/],
  ['add_sector', { x: 20, y: 90, radius: 10, start_angle: 0, sweep_angle: 120 },
    /^Sector added: id=4 center \(20\.0, 90\.0\) radius 10\.0 start 0 sweep 120$/, { sweep_angle: 400 }, /sweep_angle must lie between -360 and 360/],
  ['add_point', { x: 5, y: 5 }, /^Point added: id=5 at \(5\.0, 5\.0\)\. It can be used as link anchor with add_link\.$/,
    { x: 'a' }, /"x" must be a number, not a string \("a"\)/],
  ['add_line', { x1: 0, y1: 0, x2: 100, y2: 0, line_type: 'dashed' }, /^Line added: id=6 from \(0\.0, 0\.0\) to \(100\.0, 0\.0\)$/,
    { line_type: 3 }, /"line_type" must be a string/],
  ['add_arrow_line', { x1: 0, y1: 120, x2: 60, y2: 120, to_type: 'fillarrow', text: 'flow' },
    /^Arrow line added: id=7 from \(0\.0, 120\.0\) to \(60\.0, 120\.0\)$/, { x1: 1e12 }, /out of range/],
  ['add_polyline', { points: [0, 0, 10, 10, 20, 0] }, /^Polyline added: id=8 with 3 points$/, { points: [1, 2, 3] },
    /^points must be an array of \[x1,y1,x2,y2,\.\.\.\] with at least 4 values$/],
  ['add_polygon', { points: [0, 0, 10, 0, 5, 8] }, /^Polygon added: id=9 with 3 vertices$/, { points: [0, 0, 10, 0] },
    /^points must be an array of \[x1,y1,x2,y2,\.\.\.\] with at least 6 values \(3 points\)$/],
  ['add_arc', { cx: 40, cy: 40, radius: 8, start_angle: 0, end_angle: 90 }, /^Arc added: id=10 center \(40\.0, 40\.0\) radius 8\.0 angles 0-90$/,
    { cx: 40, start_angle: 'north' }, /"start_angle" must be a number, not a string \("north"\)/],
  ['add_bezier', { points: [0, 0, 10, 20, 30, 20, 40, 0] }, /^Bezier added: id=11 with 4 control points$/, { points: [0, 0, 1, 1, 2, 2, 3] },
    /^points must be an array of \[x1,y1,\.\.\.\] with at least 8 values \(4 control points\)$/],
  ['add_text', { x: 10, y: 140, text: 'Planora', font_size: 5, color: '#0000ff' }, /^Text added: id=12 at \(10\.0, 140\.0\) text="Planora"$/,
    { text: 'x'.repeat(3 * 1024 * 1024) }, /"text" is too long: 3145728 characters/],
  ['add_paragraph', { x: 100, y: 100, width: 60, height: 30, text: 'A block of text' },
    /^Paragraph added: id=13 at \(100\.0, 100\.0\) size 60\.0 x 30\.0$/, { width: 'wide' }, /"width" must be a number/],
  ['end_update', {}, /^EndUpdate called - 13 items in drawing$/, { count: 1 }, /Unknown argument "count"/],
  ['add_dim_linear', { x1: 10, y1: 10, x2: 40, y2: 10 }, /^Linear dimension added: id=14 from \(10\.0, 10\.0\) to \(40\.0, 10\.0\)$/,
    { x1: 0, head_size: 'big' }, /"head_size" must be a number/],
  ['add_dim_angle', { x1: 0, y1: 0, x2: 50, y2: 0, x3: 0, y3: 0, x4: 0, y4: 50, text_x: 20, text_y: 20 }, /^Angle dimension added: id=15$/,
    { x1: 0, y1: 0, x2: 50, y2: 0, x3: 0, y3: 10, x4: 50, y4: 10 }, /parallel/],
  ['add_dim_radial', { center_x: 50, center_y: 50, radius: 5, angle: 30 },
    /^Radial dimension added: id=16 center \(50\.0, 50\.0\) R=5\.0 angle=30 style=1$/, { style: 'two' }, /"style" must be an integer/],
  ['add_dim_diameter', { center_x: 50, center_y: 50, radius: 5, style: 2 },
    /^Diameter dimension added: id=17 center \(50\.0, 50\.0\) D=10\.0 angle=45 style=2$/, { center_x: 50, center_y: 50, radius: 1e10 }, /out of range/],
  ['get_drawing_info', {}, /"items_count":17/, { units: 'mm' }, /Unknown argument "units"/],
  ['list_items', {}, /"type":"rectangle"/, { all: true }, /Unknown argument "all"/],
  ['get_item', { id: '1' }, /"type":"rectangle"/, { index: 999 }, /^Item not found\. Provide index \(0-based\) or id parameter\.$/],
  ['modify_item', { id: '1', back_color: '#ffcc00', pen_width: 0.5 }, /^Item 1 \(rectangle\) modified: 2 properties changed$/,
    { id: '9999', color: '#000000' }, /^Item "9999" not found$/],
  ['delete_item', { id: '5' }, /^Item "5" deleted$/, {}, /^Provide index or id parameter$/],
  ['add_flow', { x: 20, y: 160, width: 30, height: 12, flow_type: 'decision', text: 'OK?' },
    /^Flow element added: id=18 type=decision at \(20\.0, 160\.0\) size 30\.0 x 12\.0$/, { flow_type: 4 }, /"flow_type" must be a string/],
  ['add_link', { from_id: 1, to_id: '18', to_connector: 3, link_type: 'step', to_type: 'fillarrow' },
    /^Link added: id=19 from 1\[0\] to 18\[3\] type=step$/, { from_id: '1', to_id: '9999' },
    /^Failed to add link\. Check that both IDs exist and support connections\.$/],
  // Codes: a refused code leaves no item and no gap in the numbering.
  ['add_barcode', { x: 100, y: 200, code: '4006381333931', barcode_type: 'EAN13' },
    /^Barcode added: id=20 type=EAN13 code="4006381333931" at \(100\.0, 200\.0\)$/,
    { code: '12345', barcode_type: 'EAN13' }, /EAN13 needs 12 or 13 digits/],
  ['add_qrcode', { x: 150, y: 200, code: 'https://example.com' }, /^QR Code added: id=21 code="https:\/\/example\.com" at \(150\.0, 200\.0\)$/,
    { x: 0, y: 0, code: 'x'.repeat(3000) }, /^QR code: data too long \(3000 bytes; at most 2331 at level M\)$/],
  ['add_datamatrix', { x: 180, y: 200, code: 'LOT 42' }, /^DataMatrix added: id=22 code="LOT 42" at \(180\.0, 200\.0\)$/,
    { x: 0, y: 0, code: '\u03a9' }, /8-bit \(Latin-1\) data only/],
  ['add_pdf417', { x: 100, y: 250, code: 'TICKET 7' }, /^PDF417 added: id=23 code="TICKET 7" at \(100\.0, 250\.0\)$/,
    { x: 0, y: 0, code: '' }, /^PDF417: there is no data to encode$/],
  ['add_polytext', { x: 150, y: 250, text: 'Sale', back_color: '#ffee00' }, /^PolyText added: id=24 at \(150\.0, 250\.0\) radius 0\.0 text="Sale"$/,
    { x: 0, y: 0, text: 'x', angle: 45 }, /^angle must be 0, 90, 180 or 270 degrees, not 45$/],
  ['add_nutriscore', { x: 180, y: 250, value: 'C' }, /^NutriScore added: id=25 at \(180\.0, 250\.0\) value=C$/,
    { x: 0, y: 0, value: 'Z' }, /^value "Z" is no Nutri-Score grade: use A, B, C, D or E$/],
  // Symbols: built from commands, saved as a library, loaded back and placed.
  ['create_symbol', { name: 'Valve', category: 'HVAC', commands: [{ type: 'line', x1: -5, y1: 0, x2: 5, y2: 0 },
    { type: 'circle', r: 3 }, { type: 'link_point', x: -5, y: 0 }] },
    /^Symbol "Valve" created \(3 commands applied\) and set as current\. Use add_symbol to place it at a position\.$/,
    { name: 'X', commands: [{ type: 'blob' }] }, /^No valid symbol commands recognized \(1 items received\)\. First command type="blob"\./],
  ['save_symbol_library', { filename: path.join(tmp, 'symbols.lyp') }, /^Symbol library saved to symbols\.lyp$/,
    { category: 'HVAC' }, /^filename is required$/],
  ['load_symbol_library', { filename: path.join(tmp, 'symbols.lyp'), name: 'Valve' },
    /^Symbol loaded: "Valve" from symbols\.lyp\. Use add_symbol to place it\.$/, { filename: path.join(tmp, 'none.lyp') },
    /^File not found: .*none\.lyp$/],
  ['add_symbol', { x: 60, y: 200, angle: 90, scale: 2 }, /^Symbol added: id=26 at \(60\.0, 200\.0\) angle=90\.0 scale=2\.00$/,
    { x: 0, y: 0, filename: path.join(tmp, 'symbols.lyp'), name: 'Nope' }, /^Symbol "Nope" not found in symbols\.lyp$/],
  // No AI provider is configured for the test server.
  ['create_symbol_library_from_image', null, null, { image_filename: path.join(tmp, 'none.png'), output_filename: path.join(tmp, 'ai.lyp') },
    /^AI API key is not configured on the MCP server\.$/],
  // Pictures, tables, gauges, ratings and packages.
  ['add_image', { x: 10, y: 280, width: 20, height: 10, filename: path.join(tmp, 'dot.png') },
    /^Image added: id=27 at \(10\.0, 280\.0\) size 20\.0 x 10\.0 file=".*dot\.png"$/,
    { x: 0, y: 0, filename: path.join(tmp, 'gone.png') }, /^Image file not found: ".*gone\.png"$/],
  ['add_table', { x: 40, y: 280 }, /^Table added: id=28 at \(40\.0, 280\.0\) size 60\.0 x 40\.0$/,
    { x: 0, y: 0, colour: '#ff0000' }, /^Unknown argument "colour" for add_table/],
  ['add_level', { x: 120, y: 290, radius: 8, value: 3, maximum: 4 },
    /^Level added: id=29 center \(120\.0, 290\.0\) radius 8\.0 value 3\.0\/4\.0$/, { x: 0, y: 0, radius: 0 },
    /^radius must be greater than 0$/],
  ['add_rank', { x: 140, y: 285, position: 4 }, /^Rank added: id=30 at \(140\.0, 285\.0\) position 4 of 5$/,
    { x: 0, y: 0, maximum: 0 }, /^maximum must be from 1 to 100$/],
  ['add_package', { x: 175, y: 280 }, /^Package added: id=31 at \(175\.0, 280\.0\) box 300\.0 x 200\.0 x 150\.0$/,
    { x: 0, y: 0, data: 'Q=1' }, /^package data: unknown entry/],
  ['add_richtext', { x: 10, y: 300, richtext: '<C><B>Rich</B> <FC:#FF0000>text</FC></C>' },
    /^RichText added: id=32 at \(10\.0, 300\.0\) size 50\.0 x 20\.0$/, { x: 0, y: 0, richtext: '' }, /^richtext must not be empty$/],
  ['export_svg', { filename: path.join(tmp, 'drawing.svg') }, /^SVG exported to: .*drawing\.svg \(type=current_unit, factor=1\.0\)$/,
    { export_type: 'pixels' }, /^export_type must be one of current_unit, no_measures, factor, factor_px, not "pixels"$/],
  // The preview answers with an image, checked after the list.
  ['render_preview', null, null, { scale: 'big' }, /"scale" must be a number/],
  ['export_document', { filename: path.join(tmp, 'drawing.pdf'), format: 'PDF' }, /^Document exported as PDF to: .*drawing\.pdf$/,
    { filename: path.join(tmp, 'drawing.tif'), format: 'tiff' }, /^Invalid format\. Use: pdf, png, bmp, gif, jpeg, xps$/],
  ['save_drawing', { filename: path.join(tmp, 'copy.plb') }, /^Drawing saved to: .*copy\.plb \(format: binary\)$/,
    { filename: tmp }, /is a folder; give a file name inside it$/],
];

async function connect(doc) {
  const transport = new StdioClientTransport({
    command: cli,
    args: ['mcp', '--document', doc, '--save-on-exit'],
    // No AI provider from the environment or the user's settings.
    env: { ...process.env, QT_QPA_PLATFORM: 'offscreen', PLANORA_AI_KEY: '', XDG_CONFIG_HOME: path.join(tmp, 'config') },
    stderr: 'pipe',
  });
  const client = new Client({ name: 'planora-sdk-test', version: '1.0.0' });
  const problems = [];
  client.onerror = (e) => problems.push(String(e));
  let stderr = '';
  transport.stderr?.on('data', (d) => { stderr += d; });
  await client.connect(transport);
  clients.push(client);
  return { client, problems, stderr: () => stderr };
}

// A failed test leaves its client open, and with it the server, whose input never ends: close
// them all at the end, so the run finishes either way.
const clients = [];
after(async () => {
  for (const c of clients) await c.close().catch(() => {});
});

const text = (r) => r.content?.[0]?.text ?? '';

test('planora mcp serves every tool to the SDK client and saves the drawing', async () => {
  const doc = path.join(tmp, 'drawing.json');
  const { client, problems, stderr } = await connect(doc);

  assert.equal(client.getServerVersion()?.name, 'planora');
  assert.ok(client.getServerCapabilities()?.tools, 'the tools capability is announced');

  const { tools } = await client.listTools();
  assert.deepEqual(tools.map((t) => t.name), TOOLS);
  for (const t of tools) {
    assert.equal(t.inputSchema.type, 'object', t.name);
    assert.equal(t.inputSchema.additionalProperties, false, t.name);
    assert.ok(t.description.length > 20, t.name);
  }

  const called = new Set();
  for (const [name, good, goodText, bad, badText] of CALLS) {
    if (good) {
      const r = await client.callTool({ name, arguments: good });
      assert.ok(!r.isError, `${name} ${JSON.stringify(good)} failed: ${text(r)}`);
      assert.match(text(r), goodText, name);
    }
    const before = (await client.callTool({ name: 'get_drawing_info', arguments: {} })).structuredContent.items_count;
    const r = await client.callTool({ name, arguments: bad });
    assert.equal(r.isError, true, `${name} accepted ${JSON.stringify(bad).slice(0, 200)}`);
    assert.match(text(r), badText, name);
    const after = (await client.callTool({ name: 'get_drawing_info', arguments: {} })).structuredContent.items_count;
    assert.equal(after, before, `${name}: a refused call changed the drawing`);
    called.add(name);
  }
  assert.deepEqual([...called].sort(), TOOLS.filter((t) => !REPLACING.includes(t)).sort(), 'every tool was called');

  // Data tools carry their data as structured content too.
  const info = await client.callTool({ name: 'get_drawing_info', arguments: {} });
  assert.deepEqual(JSON.parse(text(info)), info.structuredContent);
  assert.equal(info.structuredContent.editor_mode, 'drawing');
  assert.equal(info.structuredContent.draw_scale, 10);
  const items = await client.callTool({ name: 'list_items', arguments: {} });
  assert.equal(items.structuredContent.items.length, 31);
  assert.equal(items.structuredContent.items[0].color, '#00ff00');
  assert.equal(items.structuredContent.items[0].layer, 'Parts');

  // The preview is a PNG of the A3 sheet at the asked scale, sent inline.
  const preview = await client.callTool({ name: 'render_preview', arguments: { scale: 0.5 } });
  assert.ok(!preview.isError, text(preview));
  assert.equal(preview.content.length, 1);
  assert.equal(preview.content[0].type, 'image');
  assert.equal(preview.content[0].mimeType, 'image/png');
  const png = Buffer.from(preview.content[0].data, 'base64');
  assert.deepEqual([...png.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
  assert.deepEqual([png.readUInt32BE(16), png.readUInt32BE(20)], [561, 794]);
  assert.deepEqual(preview.structuredContent, { format: 'png', scale: 0.5, item_count: 31, byte_size: png.length });
  assert.ok(fs.readFileSync(path.join(tmp, 'drawing.pdf')).subarray(0, 5).equals(Buffer.from('%PDF-')));

  // Huge point arrays are refused whole.
  const huge = await client.callTool({ name: 'add_polyline', arguments: { points: new Array(300000).fill(1) } });
  assert.equal(huge.isError, true);
  assert.match(text(huge), /holds 300000 values \(at most 200000\)/);

  // An unknown tool is a protocol error, and the server keeps serving.
  await assert.rejects(client.callTool({ name: 'no_such_tool', arguments: {} }),
    (e) => e instanceof McpError && e.code === -32602 && /Unknown tool: no_such_tool/.test(e.message));
  await client.ping();

  assert.deepEqual(problems, [], 'the client saw nothing but protocol');
  await client.close();
  // close() ends the server's input and waits for it to exit; it saves on the way out.
  assert.match(stderr(), /saved/);

  const saved = JSON.parse(fs.readFileSync(doc, 'utf8'));
  const types = saved.Items.map((it) => it.Type);
  assert.equal(types.length, 31);
  // rectangle 6, circle 8, ellipse 9, sector 27, line 2, arrow line 3, polyline 4, polygon 7, arc 5,
  // bezier 25, text 10, paragraph 11, four dimensions 26 (the point was deleted), flow 17, link 18,
  // barcode 12, QR code 15, DataMatrix 14, PDF417 13, poly text 20, Nutri-Score 22, symbol 24,
  // picture 16, table 19, level 23, rank 21, package 28, rich text 29.
  assert.deepEqual(types, [6, 8, 9, 27, 2, 3, 4, 7, 5, 25, 10, 11, 26, 26, 26, 26, 17, 18, 12, 15, 14, 13, 20, 22, 24,
    16, 19, 23, 21, 28, 29]);
  const link = saved.Items[17];
  assert.deepEqual([link.FromID, link.ToID, link.ToIndex, link.LinkType, link.ToType], [1, 18, 3, 3, 4]);
  assert.equal(saved.Layers.length, 2);
});

test('diagrams and Gantt charts from text replace the drawing', async () => {
  const doc = path.join(tmp, 'diagram.json');
  const { client, problems } = await connect(doc);
  const gantt = await client.callTool({ name: 'load_gantt', arguments: { code: '@startgantt\n[A] lasts 2 days\n[B] lasts 1 day\n[A] -> [B]\n@endgantt' } });
  assert.ok(!gantt.isError, text(gantt));
  assert.equal(text(gantt), 'Gantt chart loaded. 3 items created.');
  const bad = await client.callTool({ name: 'load_gantt', arguments: { code: '' } });
  assert.equal(bad.isError, true);
  assert.equal(text(bad), 'code parameter is required with Gantt chart data');

  const seq = await client.callTool({ name: 'load_diagram',
    arguments: { code: '@startuml\nAlice -> Bob : hello\nBob --> Alice : hi\n@enduml', format: 'plantuml' } });
  assert.ok(!seq.isError, text(seq));
  assert.match(text(seq), /^Diagram loaded\. \d+ items created; 0 diagnostics\.$/);
  assert.equal(seq.structuredContent.loaded, true);
  assert.deepEqual(seq.structuredContent.diagnostics, []);
  const items = (await client.callTool({ name: 'get_drawing_info', arguments: {} })).structuredContent.items_count;
  assert.equal(seq.structuredContent.items_created, items);

  const junk = await client.callTool({ name: 'load_diagram', arguments: { code: 'pie title Pets\n"Dogs" : 3' } });
  assert.equal(junk.isError, true);
  assert.equal(text(junk), 'Could not parse the diagram text');
  assert.equal(junk.structuredContent.loaded, false);
  assert.ok(junk.structuredContent.diagnostics.some((d) => d.severity === 'error' && d.line >= 0));
  assert.equal((await client.callTool({ name: 'get_drawing_info', arguments: {} })).structuredContent.items_count, items,
    'a text that gives no diagram leaves the drawing as it was');
  assert.deepEqual(problems, []);
  await client.close();
});

test('a saved drawing loads back, and a bad file changes nothing', async () => {
  const { client, problems } = await connect(path.join(tmp, 'loaded.json'));
  const count = async () => (await client.callTool({ name: 'get_drawing_info', arguments: {} })).structuredContent.items_count;
  const copy = path.join(tmp, 'copy.plb');
  const loaded = await client.callTool({ name: 'load_drawing', arguments: { filename: copy } });
  assert.ok(!loaded.isError, text(loaded));
  assert.equal(text(loaded), `Drawing loaded from: ${copy} (31 items)`);
  assert.equal(await count(), 31);

  fs.writeFileSync(path.join(tmp, 'broken.json'), '{"Items": [');
  for (const [file, error] of [[path.join(tmp, 'missing.json'), /^File not found: .*missing\.json$/],
    [path.join(tmp, 'broken.json'), /^Could not load .*broken\.json: /], [path.join(tmp, 'dot.png'), /^Could not load .*dot\.png: /]]) {
    const r = await client.callTool({ name: 'load_drawing', arguments: { filename: file } });
    assert.equal(r.isError, true, file);
    assert.match(text(r), error);
    assert.equal(await count(), 31, `${file}: a failed load changed the drawing`);
  }
  assert.deepEqual(problems, []);
  await client.close();
});

test('a document that is there is opened, and the server starts from it', async () => {
  const doc = path.join(tmp, 'drawing.json');
  const { client } = await connect(doc);
  const info = await client.callTool({ name: 'get_drawing_info', arguments: {} });
  assert.equal(info.structuredContent.items_count, 31);
  assert.equal(info.structuredContent.units, 'mm');
  await client.close();
});
